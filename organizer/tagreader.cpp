#include "organizer/tagreader.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "organizer/id3v2tag.h"
#include "platform/readonlyfile.h"

namespace {

constexpr std::size_t kId3v1Size = 128;
constexpr std::size_t kId3v1FieldSize = 30;
// The start of a file is read in one call, which holds most tags without a picture.
constexpr std::size_t kHeadSize = 4096;
// The end: an ID3v1 tag and the footer of an ID3v2 tag before it.
constexpr std::size_t kTailSize = kId3v1Size + kId3v2HeaderSize;

// A file whose first and last bytes, where most tags stand, are read once, each in one call.
class FileBytes final : public ByteSource {
public:
    explicit FileBytes(const std::string& path) : file_(path) {
        const std::size_t size = file_.Size();
        head_ = ReadFromFile(0, kHeadSize);
        if (size > head_.size()) {
            tailStart_ = size - std::min(size, kTailSize);
            tail_ = ReadFromFile(tailStart_, size - tailStart_);
        }
    }

    std::size_t Size() const override { return file_.Size(); }

    std::string Read(std::size_t offset, std::size_t count) const override {
        if (offset >= Size()) {
            return {};
        }
        count = std::min(count, Size() - offset);
        if (offset + count <= head_.size()) {
            return head_.substr(offset, count);
        }
        if (!tail_.empty() && offset >= tailStart_) {
            return tail_.substr(offset - tailStart_, count);
        }
        std::string out = offset < head_.size() ? head_.substr(offset) : std::string();
        return out + ReadFromFile(offset + out.size(), count - out.size());
    }

private:
    std::string ReadFromFile(std::size_t offset, std::size_t count) const {
        std::string bytes(std::min(count, Size() - std::min(offset, Size())), '\0');
        bytes.resize(file_.ReadAt(bytes.data(), bytes.size(), offset));
        return bytes;
    }

    ReadOnlyFile file_;
    std::string head_;  // the bytes from the start on
    std::string tail_;  // the bytes from tailStart_ to the end
    std::size_t tailStart_ = 0;
};

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
        ReadMp3Tags(FileBytes(path), first, second);
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
