#include "organizer/oggtags.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "organizer/vorbiscomment.h"

namespace {

constexpr std::size_t kPageHeaderSize = 27;
constexpr std::size_t kSerialOffset = 14;
constexpr std::size_t kSegmentCountOffset = 26;
// The first two packets fill a few pages; a comment holding a picture may fill hundreds.
constexpr int kMaxPagesWalked = 512;

// The first two packets of the stream the file's first page belongs to: the codec's
// identification and its comment, the comment up to kMaxCommentBytes.
struct HeaderPackets {
    std::string identification;
    std::string comment;
};

// Adds the segments of one page to the packets; true once the comment packet has ended.
bool AddPage(std::string_view lacing, std::string_view body, HeaderPackets& packets,
             int& packetIndex) {
    std::size_t pos = 0;
    for (const char lace : lacing) {
        const auto size = static_cast<unsigned char>(lace);
        std::string& packet = packetIndex == 0 ? packets.identification : packets.comment;
        const std::string_view segment = body.substr(std::min(pos, body.size()), size);
        pos += size;
        if (packet.size() < kMaxCommentBytes) {
            packet.append(segment.substr(0, kMaxCommentBytes - packet.size()));
        }
        if (size < 255 && ++packetIndex == 2) {  // a segment under 255 bytes ends its packet
            return true;
        }
    }
    return false;
}

HeaderPackets ReadHeaderPackets(const ByteSource& file) {
    HeaderPackets packets;
    std::optional<std::string> serial;
    int packetIndex = 0;
    std::size_t pos = 0;
    for (int walked = 0; walked < kMaxPagesWalked; ++walked) {
        const std::string header = file.Read(pos, kPageHeaderSize);
        if (header.size() != kPageHeaderSize || !header.starts_with("OggS")) {
            break;
        }
        const auto segments = static_cast<unsigned char>(header[kSegmentCountOffset]);
        const std::string lacing = file.Read(pos + kPageHeaderSize, segments);
        std::size_t bodySize = 0;
        for (const char lace : lacing) {
            bodySize += static_cast<unsigned char>(lace);
        }
        const std::size_t bodyStart = pos + kPageHeaderSize + segments;
        const std::string pageSerial = header.substr(kSerialOffset, 4);
        if (!serial) {
            serial = pageSerial;
        }
        // Pages of other streams may be interleaved. A comment cut at the bound is read as far
        // as it goes.
        if (pageSerial == *serial &&
            (AddPage(lacing, file.Read(bodyStart, bodySize), packets, packetIndex) ||
             packets.comment.size() >= kMaxCommentBytes)) {
            break;
        }
        pos = bodyStart + bodySize;
    }
    return packets;
}

// The Vorbis comment inside the comment packet, as each codec wraps it.
std::optional<std::string_view> CommentOf(const HeaderPackets& packets) {
    const std::string_view id = packets.identification;
    std::string_view comment = packets.comment;
    if (id.starts_with("\x01vorbis") && comment.starts_with("\x03vorbis")) {
        return comment.substr(7);
    }
    if (id.starts_with("OpusHead") && comment.starts_with("OpusTags")) {
        return comment.substr(8);
    }
    if (id.starts_with("Speex   ")) {
        return comment;
    }
    // Ogg FLAC: the comment packet is a metadata block, its 4-byte header first.
    constexpr unsigned kCommentBlock = 4;
    if (id.starts_with("\x7F"
                       "FLAC") &&
        comment.size() >= 4 && (static_cast<unsigned char>(comment[0]) & 0x7F) == kCommentBlock) {
        return comment.substr(4);
    }
    return std::nullopt;
}

}  // namespace

TrackTags ReadOggTags(const ByteSource& file) {
    const HeaderPackets packets = ReadHeaderPackets(file);
    const std::optional<std::string_view> comment = CommentOf(packets);
    return comment ? ReadVorbisComment(*comment) : TrackTags{};
}
