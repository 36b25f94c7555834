#include "organizer/apetaglayout.h"

#include <algorithm>

#include "organizer/byteorder.h"

namespace {

constexpr std::size_t kId3v1Size = 128;
constexpr std::size_t kItemHeaderSize = 8;  // value size, flags
constexpr std::size_t kMaxKeySize = 255;
constexpr std::uint32_t kApeV1 = 1000;
constexpr std::uint32_t kItemKindMask = 0x06;  // 0: UTF-8 text, else binary or a link
constexpr std::uint32_t kHasHeader = 0x80000000u;
// A tag holds a dozen items; a damaged one could claim any number.
constexpr std::uint32_t kMaxItemsWalked = 1024;

// Where the tag's footer ends: the end of the file, or the start of its ID3v1 tag.
std::size_t FooterEnd(const ByteSource& file) {
    const std::size_t size = file.Size();
    if (size >= kId3v1Size + kApeFooterSize && file.Read(size - kId3v1Size, 3) == "TAG") {
        return size - kId3v1Size;
    }
    return size;
}

}  // namespace

std::optional<ApeTagLayout> FindApeTag(const ByteSource& file) {
    const std::size_t end = FooterEnd(file);
    if (end < kApeFooterSize) {
        return std::nullopt;
    }
    const std::string footer = file.Read(end - kApeFooterSize, kApeFooterSize);
    if (footer.size() != kApeFooterSize || !footer.starts_with("APETAGEX")) {
        return std::nullopt;
    }
    const std::uint32_t tagSize = LittleEndian32(footer, kApeSizeField);  // items and footer
    if (tagSize < kApeFooterSize || tagSize > end) {
        return std::nullopt;
    }
    ApeTagLayout tag;
    tag.footer = end - kApeFooterSize;
    tag.itemsStart = end - tagSize;
    tag.start = tag.itemsStart;
    tag.version = LittleEndian32(footer, 8);
    tag.count = LittleEndian32(footer, 16);
    if ((LittleEndian32(footer, 20) & kHasHeader) != 0 && tag.itemsStart >= kApeFooterSize &&
        file.Read(tag.itemsStart - kApeFooterSize, 8) == "APETAGEX") {
        tag.hasHeader = true;
        tag.start -= kApeFooterSize;
    }
    return tag;
}

ApeItemWalk::ApeItemWalk(const ByteSource& file, const ApeTagLayout& tag)
    : file_(file), tag_(tag), pos_(tag.itemsStart) {}

std::optional<ApeItem> ApeItemWalk::Next() {
    if (damaged_ || walked_ == std::min(tag_.count, kMaxItemsWalked)) {
        return std::nullopt;
    }
    const std::string header = file_.Read(pos_, kItemHeaderSize + kMaxKeySize + 1);
    const std::size_t keyEnd = header.find('\0', kItemHeaderSize);
    if (header.size() < kItemHeaderSize || keyEnd == std::string::npos) {
        damaged_ = true;
        return std::nullopt;
    }
    ApeItem item{pos_, header.substr(kItemHeaderSize, keyEnd - kItemHeaderSize),
                 LittleEndian32(header, 4), pos_ + keyEnd + 1, LittleEndian32(header, 0)};
    if (item.valueOffset > tag_.footer || item.valueSize > tag_.footer - item.valueOffset) {
        damaged_ = true;
        return std::nullopt;
    }
    ++walked_;
    pos_ = item.End();
    return item;
}

bool ApeItemWalk::ReachedFooter() const {
    return !damaged_ && walked_ == tag_.count && pos_ == tag_.footer;
}

bool IsApeTextItem(const ApeTagLayout& tag, const ApeItem& item) {
    return tag.version == kApeV1 || (item.flags & kItemKindMask) == 0;
}

std::optional<std::size_t> ApeTailSize(const ByteSource& file) {
    const std::optional<ApeTagLayout> tag = FindApeTag(file);
    if (!tag) {
        return std::nullopt;
    }
    return file.Size() - tag->start;
}
