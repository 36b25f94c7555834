#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Unsigned integers stored in tag bytes. Each reads the bytes from `pos` on; the caller makes
// sure they are there.

inline std::uint32_t LittleEndian32(std::string_view bytes, std::size_t pos) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) {
        value = value << 8 | static_cast<unsigned char>(bytes[pos + i]);
    }
    return value;
}

inline std::uint64_t BigEndian(std::string_view bytes, std::size_t pos, std::size_t count) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        value = value << 8 | static_cast<unsigned char>(bytes[pos + i]);
    }
    return value;
}

// The four bytes of `value`, least significant first, as tags store lengths.
inline std::string LittleEndian32Bytes(std::uint32_t value) {
    std::string out;
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>(value >> (8 * i) & 0xFF);
    }
    return out;
}
