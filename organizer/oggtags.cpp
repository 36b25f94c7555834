#include "organizer/oggtags.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "organizer/oggpage.h"
#include "organizer/vorbiscomment.h"

namespace {

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
        const std::optional<OggPage> page = ReadOggPage(file, pos);
        if (!page) {
            break;
        }
        const std::string pageSerial = page->header.substr(kOggSerialOffset, 4);
        if (!serial) {
            serial = pageSerial;
        }
        // Pages of other streams may be interleaved. A comment cut at the bound is read as far
        // as it goes.
        if (pageSerial == *serial &&
            (AddPage(page->Lacing(), file.Read(page->BodyOffset(), page->bodySize), packets,
                     packetIndex) ||
             packets.comment.size() >= kMaxCommentBytes)) {
            break;
        }
        pos = page->End();
    }
    return packets;
}

}  // namespace

TrackTags ReadOggTags(const ByteSource& file) {
    const HeaderPackets packets = ReadHeaderPackets(file);
    const std::optional<OggCommentPlace> place =
        OggCommentPlaceOf(packets.identification, packets.comment);
    return place ? ReadVorbisComment(std::string_view(packets.comment).substr(place->offset))
                 : TrackTags{};
}

std::optional<OggCommentPlace> OggCommentPlaceOf(std::string_view identification,
                                                 std::string_view commentPacket) {
    if (identification.starts_with("\x01vorbis") && commentPacket.starts_with("\x03vorbis")) {
        return OggCommentPlace{7, false};
    }
    if (identification.starts_with("OpusHead") && commentPacket.starts_with("OpusTags")) {
        return OggCommentPlace{8, false};
    }
    if (identification.starts_with("Speex   ")) {
        return OggCommentPlace{0, false};
    }
    // Ogg FLAC: the comment packet is a metadata block, its 4-byte header first.
    constexpr unsigned kCommentBlock = 4;
    if (identification.starts_with("\x7F"
                                   "FLAC") &&
        commentPacket.size() >= 4 &&
        (static_cast<unsigned char>(commentPacket[0]) & 0x7F) == kCommentBlock) {
        return OggCommentPlace{4, true};
    }
    return std::nullopt;
}
