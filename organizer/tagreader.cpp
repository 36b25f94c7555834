#include "organizer/tagreader.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "organizer/apetags.h"
#include "organizer/filebytes.h"
#include "organizer/flactags.h"
#include "organizer/id3v2tag.h"
#include "organizer/mp4tags.h"
#include "organizer/oggtags.h"

namespace {

constexpr std::size_t kId3v1Size = 128;
constexpr std::size_t kId3v1FieldSize = 30;
// The start of a file is read in one call, which holds most tags without a picture.
constexpr std::size_t kHeadSize = 4096;
// The end: an ID3v1 tag and the footer of an ID3v2 tag before it.
constexpr std::size_t kTailSize = kId3v1Size + kId3v2HeaderSize;

// An ID3v1 field as stored, in whatever code page the tagger used: up to its first NUL and
// without trailing spaces.
std::string Id3v1Field(std::string_view tag, std::size_t pos) {
    std::string_view text = tag.substr(pos, kId3v1FieldSize);
    text = text.substr(0, text.find('\0'));
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return std::string(text);
}

TrackTags ReadId3v1(const ByteSource& file) {
    const std::size_t size = file.Size();
    if (size < kId3v1Size) {
        return {};
    }
    const std::string tag = file.Read(size - kId3v1Size, kId3v1Size);
    if (tag.size() != kId3v1Size || !tag.starts_with("TAG")) {
        return {};
    }
    return {Id3v1Field(tag, 3), Id3v1Field(tag, 33), Id3v1Field(tag, 63)};
}

TrackTags ReadId3v2(const ByteSource& file) {
    if (Id3v2TagSize(file.Read(0, kId3v2HeaderSize)) != 0) {
        return ReadId3v2Tag(file, 0);
    }
    if (const std::optional<std::size_t> start = FindAppendedId3v2Tag(file)) {
        return ReadId3v2Tag(file, *start);
    }
    return {};
}

// The text of a buffer up to its first NUL, and never beyond its end.
std::string BufferText(const char* buffer, std::size_t size) {
    return std::string(buffer, strnlen(buffer, size));
}

}  // namespace

void ReadMp3Tags(const std::string& path, TrackTags& first, TrackTags& second) {
    try {
        ReadMp3Tags(FileBytes(path, kHeadSize, kTailSize), first, second);
    } catch (const std::exception&) {
        // A read that fails leaves the fields empty, as for a file without the tags.
        first = {};
        second = {};
    }
}

void ReadMp3Tags(const ByteSource& file, TrackTags& first, TrackTags& second) {
    first = ReadId3v1(file);
    second = ReadId3v2(file);
}

bool ReadFormatTags(const std::string& path, AudioFormat format, TrackTags& first,
                    TrackTags& second) {
    try {
        if (format == AudioFormat::Ape || format == AudioFormat::WavPack) {
            const FileBytes file(path, 0, kApeTailSize);
            first = ReadId3v1(file);
            second = ReadApeTag(file);
            return true;
        }
        const FileBytes file(path, kHeadSize, 0);
        if (format == AudioFormat::Mp4) {
            Mp4Tags mp4 = ReadMp4Tags(file);
            first = std::move(mp4.tags);
            return !mp4.hasVideo;
        }
        first = format == AudioFormat::Flac ? ReadFlacTags(file) : ReadOggTags(file);
    } catch (const std::exception&) {
        first = {};  // as for a file without tags
        second = {};
    }
    return true;
}

int ReadWmaAttributes(const std::string& path, TrackTags& tags, PFN_GETASFMETA pfnGetAsfmeta) {
    if (pfnGetAsfmeta == nullptr || path.size() >= kWmaPathBufferSize) {
        return 0;
    }
    try {
        char pathBuffer[kWmaPathBufferSize] = {};
        char title[kWmaTitleBufferSize] = {};
        char artist[kWmaArtistBufferSize] = {};
        char album[kWmaAlbumBufferSize] = {};
        std::memcpy(pathBuffer, path.c_str(), path.size() + 1);
        const int result = pfnGetAsfmeta(pathBuffer, title, artist, album);
        // The module reads the file's UTF-16 attributes: the text is Unicode.
        tags = {BufferText(title, sizeof title),
                BufferText(artist, sizeof artist),
                BufferText(album, sizeof album),
                TextOrigin::Unicode,
                TextOrigin::Unicode,
                TextOrigin::Unicode};
        return result;
    } catch (...) {
        // Whatever the module throws ends this file's read, not the run.
        return 0;
    }
}
