#include "controls/imagefilter.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>

PictureSize CImageFilter::GetOutputSize(int width, int height) const {
    return {width, height};
}

bool CImageFilter::Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output, int outWidth,
                         int outHeight) const {
    // Never read past the input, whatever size the caller asked for.
    const long long count = std::min(static_cast<long long>(outWidth) * outHeight,
                                     static_cast<long long>(inWidth) * inHeight);
    if (count > 0) {
        std::copy_n(input, static_cast<std::size_t>(count), output);
    }
    return true;
}

Pixel SmoothSample(const Pixel* input, int width, int height, double u, double v) {
    // Positions past the last column or row read it; the callers keep within the picture,
    // this only guards the memory.
    const int m = std::min(TruncToInt(u), width - 1);
    const int n = std::min(TruncToInt(v), height - 1);
    if (u < 0 || v < 0) {
        return input[static_cast<std::ptrdiff_t>(std::max(n, 0)) * width + std::max(m, 0)];
    }
    const double fx = u - m;
    const double fy = v - n;
    const Pixel& here = input[static_cast<std::ptrdiff_t>(n) * width + m];
    const Pixel& right = input[static_cast<std::ptrdiff_t>(n) * width + std::min(m + 1, width - 1)];
    const Pixel& below =
        input[static_cast<std::ptrdiff_t>(std::min(n + 1, height - 1)) * width + m];
    const auto channel = [&](std::uint8_t Pixel::*c) {
        return static_cast<std::uint8_t>(0.5 *
                                         ((2 - fx - fy) * here.*c + fx * right.*c + fy * below.*c));
    };
    return Pixel{channel(&Pixel::blue), channel(&Pixel::green), channel(&Pixel::red), 0};
}

int TruncToInt(double value) {
    if (!(value > INT_MIN)) {  // also NaN
        return std::isnan(value) ? 0 : INT_MIN;
    }
    if (value >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    return static_cast<int>(value);
}
