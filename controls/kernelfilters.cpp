#include "controls/kernelfilters.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace {

int ClampLevel(int level) {
    return std::clamp(level, 0, 10);
}

std::size_t Index(int width, int x, int y) {
    return static_cast<std::size_t>(y) * width + x;
}

}  // namespace

CBlurFilter::CBlurFilter(int level) : m_nLevel(ClampLevel(level)) {}

bool CBlurFilter::Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output, int outWidth,
                        int outHeight) const {
    if (m_nLevel == 0) {
        return CImageFilter::Apply(input, inWidth, inHeight, output, outWidth, outHeight);
    }
    const int centre = 55 - 5 * m_nLevel;
    for (int y = 0; y < inHeight; ++y) {
        for (int x = 0; x < inWidth; ++x) {
            int blue = 0;
            int green = 0;
            int red = 0;
            int weight = 0;
            for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, inHeight - 1); ++ny) {
                for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, inWidth - 1); ++nx) {
                    const int w = nx == x && ny == y ? centre : 1;
                    const Pixel& p = input[Index(inWidth, nx, ny)];
                    blue += w * p.blue;
                    green += w * p.green;
                    red += w * p.red;
                    weight += w;
                }
            }
            Pixel& out = output[Index(inWidth, x, y)];
            out.blue = static_cast<std::uint8_t>(std::min(blue / weight, 255));
            out.green = static_cast<std::uint8_t>(std::min(green / weight, 255));
            out.red = static_cast<std::uint8_t>(std::min(red / weight, 255));
        }
    }
    return true;
}

CSharpenFilter::CSharpenFilter(int level) : m_nLevel(ClampLevel(level)) {}

bool CSharpenFilter::Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output,
                           int outWidth, int outHeight) const {
    if (m_nLevel == 0) {
        return CImageFilter::Apply(input, inWidth, inHeight, output, outWidth, outHeight);
    }
    const double e = 51 - 5 * m_nLevel;
    const double f = 1 / (4 * (1 + 1 / e));
    const double corner = -f / e;
    const std::array<double, 9> kernel = {corner, -f, corner, -f, 2, -f, corner, -f, corner};
    const auto sharpened = [](double sum) {
        return static_cast<std::uint8_t>(std::clamp(sum, 0.0, 255.0));
    };
    for (int y = 0; y < inHeight; ++y) {
        for (int x = 0; x < inWidth; ++x) {
            const std::size_t at = Index(inWidth, x, y);
            if (x == 0 || y == 0 || x == inWidth - 1 || y == inHeight - 1) {
                output[at] = input[at];
                continue;
            }
            double blue = 0;
            double green = 0;
            double red = 0;
            for (int k = 0; k < 9; ++k) {
                const Pixel& p = input[Index(inWidth, x - 1 + k % 3, y - 1 + k / 3)];
                blue += kernel[k] * p.blue;
                green += kernel[k] * p.green;
                red += kernel[k] * p.red;
            }
            output[at].blue = sharpened(blue);
            output[at].green = sharpened(green);
            output[at].red = sharpened(red);
        }
    }
    return true;
}
