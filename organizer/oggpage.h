#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "organizer/bytesource.h"

// One page of an Ogg file: a 27-byte header ("OggS", flags, granule position, serial number,
// sequence number, CRC, segment count), the lacing values (one a segment, a segment under 255
// bytes ending its packet) and the body.

inline constexpr std::size_t kOggPageHeaderSize = 27;
inline constexpr std::size_t kOggSerialOffset = 14;
inline constexpr std::size_t kOggCrcOffset = 22;
inline constexpr std::size_t kOggSegmentCountOffset = 26;
inline constexpr unsigned kOggContinued = 0x01;  // the page's first segment goes on a packet

struct OggPage {
    std::size_t offset = 0;
    std::string header;  // the 27 bytes and the lacing values
    std::size_t bodySize = 0;

    std::string_view Lacing() const { return std::string_view(header).substr(kOggPageHeaderSize); }
    std::size_t BodyOffset() const { return offset + header.size(); }
    std::size_t End() const { return BodyOffset() + bodySize; }
};

// The page at `offset`; nothing where no page header stands whole.
std::optional<OggPage> ReadOggPage(const ByteSource& file, std::size_t offset);

// The page's CRC: of its bytes with the CRC field taken as zero.
std::uint32_t OggPageCrc(std::string_view page);

// The lacing values of a whole packet of `size` bytes.
std::string OggLacingOf(std::size_t size);

// A page of `header`'s flags, positions and numbers holding `body` in segments as `lacing`
// gives, its CRC computed. Nothing when the lacing does not fit a page (over 255 values).
std::optional<std::string> MakeOggPage(std::string_view header, std::string_view lacing,
                                       std::string_view body);

// The length of the first two pages of an Ogg file, where its codec's identification and its
// comment stand; nothing for a file that does not start so.
std::optional<std::size_t> OggHeadSize(const ByteSource& file);
