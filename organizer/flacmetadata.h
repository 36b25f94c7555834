#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "organizer/bytesource.h"

// The metadata blocks of a FLAC file, which stand between the "fLaC" marker and the audio:
// each behind a 4-byte header that gives its type, whether it is the last, and its length.

inline constexpr unsigned kFlacPaddingBlock = 1;
inline constexpr unsigned kFlacCommentBlock = 4;
inline constexpr std::size_t kFlacBlockHeaderSize = 4;
// The largest length a block header can give (24 bits).
inline constexpr std::size_t kMaxFlacBlockLength = (1u << 24) - 1;

struct FlacBlock {
    unsigned type = 0;
    bool last = false;
    std::size_t offset = 0;  // of its header in the file
    std::size_t length = 0;  // of its body
    std::size_t End() const { return offset + kFlacBlockHeaderSize + length; }
};

// The header of a block of `length` bytes whose first header byte (type, last flag) is `flags`.
std::string FlacBlockHeader(char flags, std::size_t length);

// Reads the block headers one by one, from the first after the marker at `markerOffset`. Reads
// nothing but the headers, so that a picture or the audio after them is never read.
class FlacBlockWalk {
public:
    FlacBlockWalk(const ByteSource& file, std::size_t markerOffset);

    // The next block; nothing after the last one, at damage (a header cut short or of the
    // invalid type) or after kMaxBlocksWalked blocks. A block may run past the file's end.
    std::optional<FlacBlock> Next();

    // True when the walk ended at the last block, which ends inside the file: the metadata is
    // whole, and `MetadataEnd` is where the audio starts.
    bool ReachedAudio() const { return reachedAudio_; }
    std::size_t MetadataEnd() const { return pos_; }

private:
    const ByteSource& file_;
    std::size_t pos_;
    int walked_ = 0;
    bool done_ = false;
    bool reachedAudio_ = false;
};

// The offset of the "fLaC" marker: 0, or after an ID3v2 tag some tools put first; nothing
// for a file that is no FLAC file.
std::optional<std::size_t> FlacMarkerOffset(const ByteSource& file);

// The length of the region a FLAC file starts with, marker and metadata blocks; nothing for
// a file without the marker at its start or whose metadata is damaged.
std::optional<std::size_t> FlacHeadSize(const ByteSource& file);
