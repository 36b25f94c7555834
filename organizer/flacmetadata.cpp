#include "organizer/flacmetadata.h"

#include <string>

#include "organizer/byteorder.h"
#include "organizer/id3v2tag.h"

namespace {

constexpr std::size_t kMarkerSize = 4;
constexpr unsigned kLastBlock = 0x80;
constexpr unsigned kInvalidBlock = 127;
// Seek tables, cue sheets and pictures come to a few blocks; a damaged file could make more.
constexpr int kMaxBlocksWalked = 1024;

}  // namespace

std::string FlacBlockHeader(char flags, std::size_t length) {
    return std::string(1, flags) + static_cast<char>(length >> 16 & 0xFF) +
           static_cast<char>(length >> 8 & 0xFF) + static_cast<char>(length & 0xFF);
}

FlacBlockWalk::FlacBlockWalk(const ByteSource& file, std::size_t markerOffset)
    : file_(file), pos_(markerOffset + kMarkerSize) {}

std::optional<FlacBlock> FlacBlockWalk::Next() {
    if (done_ || walked_ == kMaxBlocksWalked) {
        return std::nullopt;
    }
    ++walked_;
    const std::string header = file_.Read(pos_, kFlacBlockHeaderSize);
    done_ = true;
    if (header.size() != kFlacBlockHeaderSize) {
        return std::nullopt;
    }
    const unsigned flags = static_cast<unsigned char>(header[0]);
    FlacBlock block{flags & ~kLastBlock, (flags & kLastBlock) != 0, pos_,
                    static_cast<std::size_t>(BigEndian(header, 1, 3))};
    if (block.type == kInvalidBlock) {
        return std::nullopt;
    }
    pos_ = block.End();
    done_ = block.last;
    reachedAudio_ = block.last && pos_ <= file_.Size();
    return block;
}

std::optional<std::size_t> FlacMarkerOffset(const ByteSource& file) {
    const std::size_t offset = Id3v2TagSize(file.Read(0, kId3v2HeaderSize));
    if (file.Read(offset, kMarkerSize) != "fLaC") {
        return std::nullopt;
    }
    return offset;
}

std::optional<std::size_t> FlacHeadSize(const ByteSource& file) {
    if (file.Read(0, kMarkerSize) != "fLaC") {
        return std::nullopt;
    }
    FlacBlockWalk walk(file, 0);
    while (walk.Next()) {
    }
    if (!walk.ReachedAudio()) {
        return std::nullopt;
    }
    return walk.MetadataEnd();
}
