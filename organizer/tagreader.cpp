#include "organizer/tagreader.h"

#include <fcntl.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfile.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <exception>
#include <optional>
#include <string_view>

#include "organizer/id3v2textframes.h"
#include "platform/codepage.h"
#include "platform/filedescriptor.h"

namespace {

constexpr std::size_t kId3v1Size = 128;
// The start of a file is read in one call, which holds most tags without a picture.
constexpr std::size_t kFirstReadSize = 4096;
// A larger tag is read only this far: its text frames come first in practice, and a damaged
// size field cannot make a read allocate more.
constexpr std::size_t kMaxTagBytes = 16 * 1024 * 1024;

constexpr std::array<std::string_view, 4> kArtistFrames = {kLeadArtistFrame, kBandFrame,
                                                           kConductorFrame, kComposerFrame};

struct TagBytes {
    std::string id3v1;            // the last 128 bytes of the file
    std::string id3v2TextFrames;  // the text frames of the ID3v2 tag at its start
};

// The text frames of the ID3v2 tag the file starts with. Most of a large tag is pictures and
// padding, and taggers write the text frames first: when the first read already holds the
// title, lead artist and album, the rest of the tag is not read.
std::string ReadId3v2TextFrames(int fd, std::size_t fileSize) {
    std::string bytes(std::min(kFirstReadSize, fileSize), '\0');
    bytes.resize(ReadAt(fd, bytes.data(), bytes.size(), 0));
    const std::size_t tagSize = std::min({Id3v2TagSize(bytes), fileSize, kMaxTagBytes});
    const std::size_t have = bytes.size();
    if (tagSize <= have) {
        return ExtractTextFrames(std::string_view(bytes).substr(0, tagSize)).tag;
    }
    Id3v2TextFrames start = ExtractTextFrames(bytes);
    if (start.complete) {
        return std::move(start.tag);
    }
    bytes.resize(tagSize);
    bytes.resize(have + ReadAt(fd, bytes.data() + have, tagSize - have, static_cast<off_t>(have)));
    return ExtractTextFrames(bytes).tag;
}

TagBytes ReadTagBytes(const std::string& path, bool wantId3v1, bool wantId3v2) {
    TagBytes bytes;
    // Non-blocking, so that a named pipe among the files reads as empty instead of waiting.
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file) {
        return bytes;
    }
    const off_t end = lseek(file.get(), 0, SEEK_END);
    if (end <= 0) {
        return bytes;
    }
    const auto fileSize = static_cast<std::size_t>(end);
    if (wantId3v2) {
        bytes.id3v2TextFrames = ReadId3v2TextFrames(file.get(), fileSize);
    }
    if (wantId3v1 && fileSize >= kId3v1Size) {
        bytes.id3v1.resize(kId3v1Size);
        bytes.id3v1.resize(ReadAt(file.get(), bytes.id3v1.data(), kId3v1Size,
                                  static_cast<off_t>(fileSize - kId3v1Size)));
    }
    return bytes;
}

// TagLib reads a tag through a File; this one serves bytes held in memory. The stream lives in
// a base class so that it is built before the File that reads it.
class StreamHolder {
protected:
    explicit StreamHolder(std::string_view bytes)
        : m_stream(TagLib::ByteVector(bytes.data(), static_cast<unsigned int>(bytes.size()))) {}
    TagLib::ByteVectorStream m_stream;
};

class MemoryFile : private StreamHolder, public TagLib::File {
public:
    explicit MemoryFile(std::string_view bytes) : StreamHolder(bytes), TagLib::File(&m_stream) {}
    TagLib::Tag* tag() const override { return nullptr; }
    TagLib::AudioProperties* audioProperties() const override { return nullptr; }
    bool save() override { return false; }
};

// TagLib takes ID3v1 text for ISO-8859-1 and trims it on both sides; this keeps the bytes,
// whatever code page the tagger used, up to the first NUL and without trailing spaces. As
// ISO-8859-1 maps each byte to one character, to8Bit(false) gives the bytes back.
class RawId3v1Text : public TagLib::ID3v1::StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector& data) const override {
        std::string_view text(data.data(), data.size());
        text = text.substr(0, text.find('\0'));
        while (!text.empty() && text.back() == ' ') {
            text.remove_suffix(1);
        }
        return TagLib::String(std::string(text), TagLib::String::Latin1);
    }
};

// TagLib keeps one ID3v1 text handler for the process; this module is its only user.
void UseRawId3v1Text() {
    static const RawId3v1Text handler;
    static const bool installed = [] {
        TagLib::ID3v1::Tag::setStringHandler(&handler);
        return true;
    }();
    (void)installed;
}

// TagLib holds text as UTF-16 code units.
std::string ToCodePage936(const TagLib::String& text) {
    const TagLib::ByteVector units =
        text.data(std::endian::native == std::endian::little ? TagLib::String::UTF16LE
                                                             : TagLib::String::UTF16BE);
    if (units.isEmpty()) {
        return {};
    }
    std::u16string utf16(units.size() / 2, u'\0');
    std::memcpy(utf16.data(), units.data(), utf16.size() * sizeof(char16_t));
    return codepage::Utf16ToCp936(utf16);
}

// The text of the frame `id`, or nothing when the tag has no such frame.
std::optional<std::string> FrameText(const TagLib::ID3v2::Tag& tag, std::string_view id) {
    const TagLib::ID3v2::FrameList& frames =
        tag.frameList(TagLib::ByteVector(id.data(), static_cast<unsigned int>(id.size())));
    if (frames.isEmpty()) {
        return std::nullopt;
    }
    const auto* frame = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frames.front());
    const TagLib::StringList fields = frame != nullptr ? frame->fieldList() : TagLib::StringList();
    if (fields.isEmpty()) {
        return std::string();
    }
    if (frame->textEncoding() == TagLib::String::Latin1) {
        return fields.front().to8Bit(false);
    }
    return ToCodePage936(fields.front());
}

// The text of a buffer up to its first NUL, and never beyond its end.
std::string BufferText(const char* buffer, std::size_t size) {
    return std::string(buffer, strnlen(buffer, size));
}

TrackTags ParseTextFrames(const std::string& textFrames) {
    if (textFrames.empty()) {
        return {};
    }
    MemoryFile file(textFrames);
    const TagLib::ID3v2::Tag tag(&file, 0);
    TrackTags tags;
    tags.title = FrameText(tag, kTitleFrame).value_or("");
    for (const std::string_view id : kArtistFrames) {
        if (std::optional<std::string> artist = FrameText(tag, id)) {
            tags.artist = std::move(*artist);
            break;
        }
    }
    tags.album = FrameText(tag, kAlbumFrame).value_or("");
    return tags;
}

}  // namespace

TrackTags ParseId3v1Tag(std::string_view bytes) {
    if (bytes.size() != kId3v1Size || bytes.substr(0, 3) != "TAG") {
        return {};
    }
    UseRawId3v1Text();
    MemoryFile file(bytes);
    const TagLib::ID3v1::Tag tag(&file, 0);
    return {tag.title().to8Bit(false), tag.artist().to8Bit(false), tag.album().to8Bit(false)};
}

TrackTags ParseId3v2Tag(std::string_view bytes) {
    return ParseTextFrames(ExtractTextFrames(bytes).tag);
}

int ReadId3Tags(const std::string& path, TrackTags& tags, int kind) {
    if (kind != kId3v1 && kind != kId3v2) {
        return 0;
    }
    try {
        const TagBytes bytes = ReadTagBytes(path, kind == kId3v1, kind == kId3v2);
        tags = kind == kId3v1 ? ParseId3v1Tag(bytes.id3v1) : ParseTextFrames(bytes.id3v2TextFrames);
    } catch (const std::exception&) {
        // A read that fails leaves the fields empty, as for a file without the tag.
        tags = {};
    }
    return 1;
}

void ReadMp3Tags(const std::string& path, TrackTags& first, TrackTags& second) {
    try {
        const TagBytes bytes = ReadTagBytes(path, true, true);
        first = ParseId3v1Tag(bytes.id3v1);
        second = ParseTextFrames(bytes.id3v2TextFrames);
    } catch (const std::exception&) {
        first = {};
        second = {};
    }
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
        tags.title = BufferText(title, sizeof title);
        tags.artist = BufferText(artist, sizeof artist);
        tags.album = BufferText(album, sizeof album);
        return result;
    } catch (...) {
        // Whatever the module throws ends this file's read, not the run.
        return 0;
    }
}
