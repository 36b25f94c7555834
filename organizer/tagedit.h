#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A rewrite of the bytes a file starts with (its ID3v2 tag, a FLAC file's metadata) or ends
// with (an APE tag and what follows it), told as an edit that can be run
// both ways: spans removed from the source, spans inserted into the result, and the result's
// length, which zero bytes (padding) fill up or are cut from. Every byte of the source that no
// span removes is kept, in order, so the edit holds only the frames it replaces, however large
// the pictures beside them, and its inverse gives the source back byte for byte. Each side is
// known by its length and CRC-32, so that an edit is only ever run on the bytes it was made for.

struct TagSpan {
    std::size_t offset = 0;  // removed: in the source; inserted: in the result
    std::string bytes;

    friend bool operator==(const TagSpan&, const TagSpan&) = default;
};

// Where in the file the edited bytes stand.
enum class TagRegion { Head, Tail };

struct TagEdit {
    std::size_t sourceLength = 0;
    std::uint32_t sourceCrc = 0;
    std::size_t resultLength = 0;
    std::uint32_t resultCrc = 0;
    std::vector<TagSpan> removed;   // ascending, not overlapping
    std::vector<TagSpan> inserted;  // ascending, not overlapping
    TagRegion region = TagRegion::Head;

    friend bool operator==(const TagEdit&, const TagEdit&) = default;
};

std::uint32_t RegionCrc(std::string_view bytes);

// The edit that turns `source` into the result of removing and inserting the spans and
// fitting it to `resultLength`; nothing when the spans do not fit the source or more than
// zero bytes would have to be cut.
std::optional<TagEdit> MakeTagEdit(std::string_view source, std::vector<TagSpan> removed,
                                   std::vector<TagSpan> inserted, std::size_t resultLength);

// Bytes of a source and the bytes that take their place in the result.
struct TagReplacement {
    std::size_t offset = 0;  // in the source
    std::string replaced;
    std::string replacement;
};

// The edit that makes each replacement (ascending, not overlapping) and fits the result to
// `resultLength`, as MakeTagEdit does.
std::optional<TagEdit> MakeReplacingEdit(std::string_view source,
                                         const std::vector<TagReplacement>& replacements,
                                         std::size_t resultLength);

// How many bytes the replacements add (fewer than 0: take away).
std::ptrdiff_t GrowthOf(const std::vector<TagReplacement>& replacements);

// The result of the edit on `source`; nothing unless `source` is the very source of the edit
// and the result is the very one it was made with.
std::optional<std::string> ApplyTagEdit(const TagEdit& edit, std::string_view source);

// The edit that takes the result back to the source.
TagEdit InverseOf(const TagEdit& edit);
