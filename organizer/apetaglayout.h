#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "organizer/bytesource.h"

// Where the parts of the APE tag at the end of a file stand: an optional 32-byte header, the
// items, and the 32-byte footer, which stands last or before an ID3v1 tag. Both the header and
// the footer give the size of the items and the footer, at byte 12.

inline constexpr std::size_t kApeFooterSize = 32;
inline constexpr std::size_t kApeSizeField = 12;

struct ApeTagLayout {
    std::size_t start = 0;  // the header where there is one, else the first item
    std::size_t itemsStart = 0;
    std::size_t footer = 0;
    std::uint32_t version = 0;  // 1000 or 2000
    std::uint32_t count = 0;    // of items, as the footer says
    bool hasHeader = false;
};

// The tag's layout; nothing for a file without a footer or whose footer gives an impossible
// size.
std::optional<ApeTagLayout> FindApeTag(const ByteSource& file);

// One item: its 8-byte header (value size, flags), its key and NUL, its value.
struct ApeItem {
    std::size_t offset = 0;
    std::string key;
    std::uint32_t flags = 0;
    std::size_t valueOffset = 0;
    std::size_t valueSize = 0;
    std::size_t End() const { return valueOffset + valueSize; }
};

// Reads the items' headers and keys one by one, never their values, so that a cover stored
// before the title is skipped, not read.
class ApeItemWalk {
public:
    ApeItemWalk(const ByteSource& file, const ApeTagLayout& tag);

    // The next item; nothing after the count, at damage, or after kMaxItemsWalked items.
    std::optional<ApeItem> Next();

    // True when the walk took every item the footer counts and they end at the footer.
    bool ReachedFooter() const;

private:
    const ByteSource& file_;
    const ApeTagLayout& tag_;
    std::size_t pos_;
    std::uint32_t walked_ = 0;
    bool damaged_ = false;
};

// True for an item that holds UTF-8 text (any item of a version 1 tag).
bool IsApeTextItem(const ApeTagLayout& tag, const ApeItem& item);

// The length of the region an APE tag makes at the end of a file: from the tag's start to the
// file's end, an ID3v1 tag after it included; nothing for a file without one.
std::optional<std::size_t> ApeTailSize(const ByteSource& file);
