#include "controls/colorfilters.h"

#include <cstddef>

namespace {

std::size_t PixelCount(int width, int height) {
    return width > 0 && height > 0 ? static_cast<std::size_t>(width) * height : 0;
}

}  // namespace

bool CGrayFilter::Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output, int,
                        int) const {
    for (std::size_t i = 0, n = PixelCount(inWidth, inHeight); i < n; ++i) {
        const Pixel& p = input[i];
        const auto grey = static_cast<std::uint8_t>((3 * p.red + 6 * p.green + p.blue) / 10);
        output[i] = Pixel{grey, grey, grey, 0};
    }
    return true;
}

bool CNegativeFilter::Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output, int,
                            int) const {
    for (std::size_t i = 0, n = PixelCount(inWidth, inHeight); i < n; ++i) {
        output[i].blue = static_cast<std::uint8_t>(~input[i].blue);
        output[i].green = static_cast<std::uint8_t>(~input[i].green);
        output[i].red = static_cast<std::uint8_t>(~input[i].red);
    }
    return true;
}

bool CReplaceColorFilter::Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output,
                                int outWidth, int outHeight) const {
    if (m_crFrom == m_crTo) {
        return CImageFilter::Apply(input, inWidth, inHeight, output, outWidth, outHeight);
    }
    const Pixel from = PixelOf(m_crFrom);
    const Pixel to = PixelOf(m_crTo);
    for (std::size_t i = 0, n = PixelCount(inWidth, inHeight); i < n; ++i) {
        const Pixel& p = input[i];
        const bool match = p.red == from.red && p.green == from.green && p.blue == from.blue;
        output[i] = match ? to : p;
    }
    return true;
}
