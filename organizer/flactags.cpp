#include "organizer/flactags.h"

#include <algorithm>
#include <cstddef>

#include "organizer/byteorder.h"
#include "organizer/id3v2tag.h"
#include "organizer/vorbiscomment.h"

namespace {

constexpr std::size_t kBlockHeaderSize = 4;
constexpr unsigned kLastBlock = 0x80;
constexpr unsigned kCommentBlock = 4;
constexpr unsigned kInvalidBlock = 127;
// Seek tables, cue sheets and pictures come to a few blocks; a damaged file could make more.
constexpr int kMaxBlocksWalked = 1024;

}  // namespace

TrackTags ReadFlacTags(const ByteSource& file) {
    std::size_t pos = Id3v2TagSize(file.Read(0, kId3v2HeaderSize));
    if (file.Read(pos, 4) != "fLaC") {
        return {};
    }
    pos += 4;
    for (int walked = 0; walked < kMaxBlocksWalked; ++walked) {
        const std::string header = file.Read(pos, kBlockHeaderSize);
        if (header.size() != kBlockHeaderSize) {
            break;
        }
        const unsigned flags = static_cast<unsigned char>(header[0]);
        const auto length = static_cast<std::size_t>(BigEndian(header, 1, 3));
        const unsigned type = flags & ~kLastBlock;
        if (type == kInvalidBlock) {
            break;
        }
        if (type == kCommentBlock) {
            return ReadVorbisComment(
                file.Read(pos + kBlockHeaderSize, std::min(length, kMaxCommentBytes)));
        }
        if ((flags & kLastBlock) != 0) {
            break;
        }
        pos += kBlockHeaderSize + length;
    }
    return {};
}
