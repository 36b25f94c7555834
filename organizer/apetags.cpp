#include "organizer/apetags.h"

#include <cstdint>
#include <optional>
#include <string>

#include "organizer/byteorder.h"
#include "organizer/formatfields.h"

namespace {

constexpr std::size_t kId3v1Size = 128;
constexpr std::size_t kFooterSize = 32;
constexpr std::size_t kItemHeaderSize = 8;  // value size, flags
constexpr std::size_t kMaxKeySize = 255;
constexpr std::uint32_t kApeV1 = 1000;
constexpr std::uint32_t kItemKindMask = 0x06;  // 0: UTF-8 text, else binary or a link
// A tag holds a dozen items; a damaged one could claim any number.
constexpr std::uint32_t kMaxItemsWalked = 1024;

constexpr FieldName kKeys[] = {
    {"title", FieldRole::Title},
    {"artist", FieldRole::Artist},
    {"album artist", FieldRole::AlbumArtist},
    {"album", FieldRole::Album},
};

// Where the tag's footer ends: the end of the file, or the start of its ID3v1 tag.
std::size_t FooterEnd(const ByteSource& file) {
    const std::size_t size = file.Size();
    if (size >= kId3v1Size + kFooterSize && file.Read(size - kId3v1Size, 3) == "TAG") {
        return size - kId3v1Size;
    }
    return size;
}

}  // namespace

TrackTags ReadApeTag(const ByteSource& file) {
    const std::size_t end = FooterEnd(file);
    if (end < kFooterSize) {
        return {};
    }
    const std::string footer = file.Read(end - kFooterSize, kFooterSize);
    if (footer.size() != kFooterSize || !footer.starts_with("APETAGEX")) {
        return {};
    }
    const std::uint32_t version = LittleEndian32(footer, 8);
    const std::uint32_t tagSize = LittleEndian32(footer, 12);  // the items and the footer
    const std::uint32_t count = LittleEndian32(footer, 16);
    if (tagSize < kFooterSize || tagSize > end) {
        return {};
    }
    const std::size_t itemsEnd = end - kFooterSize;
    std::size_t pos = end - tagSize;
    FormatFields fields;
    for (std::uint32_t item = 0; item < std::min(count, kMaxItemsWalked); ++item) {
        const std::string header = file.Read(pos, kItemHeaderSize + kMaxKeySize + 1);
        const std::size_t keyEnd = header.find('\0', kItemHeaderSize);
        if (header.size() < kItemHeaderSize || keyEnd == std::string::npos) {
            break;
        }
        const std::uint32_t valueSize = LittleEndian32(header, 0);
        const std::uint32_t flags = LittleEndian32(header, 4);
        const std::size_t valueStart = pos + keyEnd + 1;
        if (valueStart > itemsEnd || valueSize > itemsEnd - valueStart) {
            break;
        }
        const std::optional<FieldRole> role = RoleNamed(
            std::string_view(header).substr(kItemHeaderSize, keyEnd - kItemHeaderSize), kKeys);
        if (role && !fields.Has(*role) && (version == kApeV1 || (flags & kItemKindMask) == 0)) {
            fields.Offer(*role,
                         file.Read(valueStart, std::min<std::size_t>(valueSize, kMaxFieldSize)));
        }
        pos = valueStart + valueSize;
    }
    return fields.ToTrackTags();
}
