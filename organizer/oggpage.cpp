#include "organizer/oggpage.h"

#include <array>

namespace {

constexpr std::size_t kMaxSegments = 255;

std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < table.size(); ++i) {
        std::uint32_t value = i << 24;
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 0x80000000u) != 0 ? value << 1 ^ 0x04C11DB7u : value << 1;
        }
        table[i] = value;
    }
    return table;
}

}  // namespace

std::optional<OggPage> ReadOggPage(const ByteSource& file, std::size_t offset) {
    std::string header = file.Read(offset, kOggPageHeaderSize);
    if (header.size() != kOggPageHeaderSize || !header.starts_with("OggS")) {
        return std::nullopt;
    }
    const auto segments = static_cast<unsigned char>(header[kOggSegmentCountOffset]);
    const std::string lacing = file.Read(offset + kOggPageHeaderSize, segments);
    if (lacing.size() != segments) {
        return std::nullopt;
    }
    OggPage page{offset, header + lacing, 0};
    for (const char lace : lacing) {
        page.bodySize += static_cast<unsigned char>(lace);
    }
    return page;
}

std::uint32_t OggPageCrc(std::string_view page) {
    static const std::array<std::uint32_t, 256> kTable = MakeCrcTable();
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < page.size(); ++i) {
        const bool inField = i >= kOggCrcOffset && i < kOggCrcOffset + 4;
        const auto byte = inField ? 0u : static_cast<unsigned char>(page[i]);
        crc = crc << 8 ^ kTable[(crc >> 24 ^ byte) & 0xFF];
    }
    return crc;
}

std::string OggLacingOf(std::size_t size) {
    std::string lacing(size / 255, '\xFF');
    return lacing + static_cast<char>(size % 255);
}

std::optional<std::string> MakeOggPage(std::string_view header, std::string_view lacing,
                                       std::string_view body) {
    if (lacing.size() > kMaxSegments) {
        return std::nullopt;
    }
    std::string page(header.substr(0, kOggPageHeaderSize));
    page[kOggSegmentCountOffset] = static_cast<char>(lacing.size());
    page += lacing;
    page += body;
    const std::uint32_t crc = OggPageCrc(page);
    for (std::size_t i = 0; i < 4; ++i) {
        page[kOggCrcOffset + i] = static_cast<char>(crc >> (8 * i) & 0xFF);
    }
    return page;
}

std::optional<std::size_t> OggHeadSize(const ByteSource& file) {
    const std::optional<OggPage> first = ReadOggPage(file, 0);
    const std::optional<OggPage> second = first ? ReadOggPage(file, first->End()) : std::nullopt;
    if (!second || second->End() > file.Size()) {
        return std::nullopt;
    }
    return second->End();
}
