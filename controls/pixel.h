#pragma once

#include <cstdint>

#include "controls/gdi.h"

// One pixel of a picture as the filters see it: the bytes blue, green, red and a fourth byte,
// in that order in memory. A picture is width x height of them, top row first, no padding
// between rows; on a little-endian machine that is exactly QImage::Format_RGB32.
struct Pixel {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t fourth = 0;

    friend bool operator==(const Pixel&, const Pixel&) = default;
};
static_assert(sizeof(Pixel) == 4);

// The pixel of a colour, fourth byte 0.
constexpr Pixel PixelOf(COLORREF color) {
    return Pixel{static_cast<std::uint8_t>(GetBValue(color)),
                 static_cast<std::uint8_t>(GetGValue(color)),
                 static_cast<std::uint8_t>(GetRValue(color)), 0};
}

constexpr COLORREF ColorOf(Pixel pixel) {
    return RGB(pixel.red, pixel.green, pixel.blue);
}

struct PictureSize {
    int width = 0;
    int height = 0;

    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};
