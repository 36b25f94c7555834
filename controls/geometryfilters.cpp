#include "controls/geometryfilters.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace {

const Pixel& At(const Pixel* picture, int width, int x, int y) {
    return picture[static_cast<std::ptrdiff_t>(y) * width + x];
}

Pixel& At(Pixel* picture, int width, int x, int y) {
    return picture[static_cast<std::ptrdiff_t>(y) * width + x];
}

// A size grown by a signed amount, held within int.
int Grown(int size, int by) {
    return TruncToInt(static_cast<double>(size) + std::abs(static_cast<double>(by)));
}

}  // namespace

CRotateFilter::CRotateFilter(int degrees, bool smooth) : CImageFilter(smooth) {
    int whole = degrees % 360;
    if (whole < 0) {
        whole += 360;
    }
    m_dAngle = whole * std::numbers::pi / 180.0;
}

PictureSize CRotateFilter::GetOutputSize(int width, int height) const {
    if (m_dAngle == 0 || width == 0 || height == 0) {
        return {width, height};
    }
    const double c = std::cos(m_dAngle);
    const double s = std::sin(m_dAngle);
    const int hx = width / 2;
    const int hy = height / 2;
    const std::array<std::array<int, 2>, 4> corners = {
        {{-hx, -hy}, {hx, -hy}, {hx, hy}, {-hx, hy}}};
    int maxX = 0;
    int maxY = 0;
    for (const auto& [x, y] : corners) {
        maxX = std::max(maxX, std::abs(TruncToInt(x * c + y * s)));
        maxY = std::max(maxY, std::abs(TruncToInt(-x * s + y * c)));
    }
    return {2 * maxX + 2, 2 * maxY + 2};
}

bool CRotateFilter::Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output,
                          int outWidth, int outHeight) const {
    if (m_dAngle == 0) {
        return CImageFilter::Apply(input, inWidth, inHeight, output, outWidth, outHeight);
    }
    const double c = std::cos(m_dAngle);
    const double s = std::sin(m_dAngle);
    const int cx = Half(inWidth);
    const int cy = Half(inHeight);
    const int a0 = 1 - Half(outWidth);
    for (int i = 0; i < outHeight; ++i) {
        const int b = i - Half(outHeight);
        // Stepped along the row: one addition per pixel instead of a rotation.
        double sx = a0 * c + b * s;
        double sy = b * c - a0 * s;
        for (int j = 0; j < outWidth; ++j, sx += c, sy -= s) {
            const int tx = TruncToInt(sx);
            const int ty = TruncToInt(sy);
            if (tx < -cx || tx > inWidth - 2 - cx || ty < -cy || ty > inHeight - 2 - cy) {
                continue;
            }
            At(output, outWidth, j, i) =
                m_bSmooth ? SmoothSample(input, inWidth, inHeight, cx + sx, cy + sy)
                          : At(input, inWidth, tx + cx, ty + cy);
        }
    }
    return true;
}

CSkewFilter::CSkewFilter(int dx, int dy, bool smooth)
    : CImageFilter(smooth), m_nDx(dx), m_nDy(dy) {}

PictureSize CSkewFilter::GetOutputSize(int width, int height) const {
    return {Grown(width, m_nDx), Grown(height, m_nDy)};
}

bool CSkewFilter::Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output, int outWidth,
                        int outHeight) const {
    if (m_nDx == 0 && m_nDy == 0) {
        return CImageFilter::Apply(input, inWidth, inHeight, output, outWidth, outHeight);
    }
    const double dx = m_nDx;
    const double dy = m_nDy;
    for (int j = 0; j < outHeight; ++j) {
        double ox = 0;
        if (m_nDx > 0) {
            ox = dx * (outHeight - j) / outHeight;
        } else if (m_nDx < 0) {
            ox = -dx * j / outHeight;
        }
        for (int i = 0; i < outWidth; ++i) {
            double oy = 0;
            if (m_nDy > 0) {
                oy = dy * i / outWidth;
            } else if (m_nDy < 0) {
                oy = -dy * (outWidth - i) / outWidth;
            }
            const double u = i - ox;
            const double v = j - oy;
            const int tu = TruncToInt(u);
            const int tv = TruncToInt(v);
            if (tu < 0 || tu >= inWidth || tv < 0 || tv >= inHeight) {
                continue;
            }
            At(output, outWidth, i, j) = m_bSmooth ? SmoothSample(input, inWidth, inHeight, u, v)
                                                   : At(input, inWidth, tu, tv);
        }
    }
    return true;
}

PictureSize CScaleFilter::GetOutputSize(int width, int height) const {
    return {TruncToInt(m_dFactor * width), TruncToInt(m_dFactor * height)};
}

bool CScaleFilter::Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output, int outWidth,
                         int outHeight) const {
    if (!(m_dFactor > 0)) {
        return false;
    }
    if (m_dFactor == 1.0) {
        return CImageFilter::Apply(input, inWidth, inHeight, output, outWidth, outHeight);
    }
    if (m_dFactor > 1.0) {
        Enlarge(input, inWidth, inHeight, output, outWidth, outHeight);
    } else {
        Reduce(input, inWidth, inHeight, output, outWidth, outHeight);
    }
    return true;
}

void CScaleFilter::Enlarge(const Pixel* input, int inWidth, int inHeight, Pixel* output,
                           int outWidth, int outHeight) const {
    const double step = 1.0 / m_dFactor;
    double v = 0;
    for (int y = 0; y < outHeight; ++y, v += step) {
        double u = 0;
        for (int x = 0; x < outWidth; ++x, u += step) {
            At(output, outWidth, x, y) = SmoothSample(input, inWidth, inHeight, u, v);
        }
    }
}

namespace {

// The source columns (or rows) each output column takes its mean over: from the one after
// the last taken by its left neighbour to the one past its own centre. Empty towards the end
// of the picture when the rounding has used it up.
struct Span {
    int first;
    int last;
};

std::vector<Span> BoxSpans(int inSize, int outSize, double step) {
    std::vector<Span> spans;
    int next = 0;
    for (int j = 0; j < outSize; ++j) {
        const int last = std::min(inSize - 1, TruncToInt((j + 0.5) * step) + 1);
        spans.push_back({next, last});
        next = last + 1;
    }
    return spans;
}

}  // namespace

void CScaleFilter::Reduce(const Pixel* input, int inWidth, int inHeight, Pixel* output,
                          int outWidth, int outHeight) const {
    const double step = 1.0 / m_dFactor;
    const std::vector<Span> columns = BoxSpans(inWidth, outWidth, step);
    const std::vector<Span> rows = BoxSpans(inHeight, outHeight, step);
    for (int k = 0; k < outHeight; ++k) {
        for (int j = 0; j < outWidth; ++j) {
            const Span& across = columns[static_cast<std::size_t>(j)];
            const Span& down = rows[static_cast<std::size_t>(k)];
            if (across.first > across.last || down.first > down.last) {
                continue;
            }
            long long blue = 0;
            long long green = 0;
            long long red = 0;
            for (int y = down.first; y <= down.last; ++y) {
                for (int x = across.first; x <= across.last; ++x) {
                    const Pixel& p = At(input, inWidth, x, y);
                    blue += p.blue;
                    green += p.green;
                    red += p.red;
                }
            }
            const long long count = static_cast<long long>(across.last - across.first + 1) *
                                    (down.last - down.first + 1);
            Pixel& out = At(output, outWidth, j, k);
            out.blue = static_cast<std::uint8_t>(blue / count);
            out.green = static_cast<std::uint8_t>(green / count);
            out.red = static_cast<std::uint8_t>(red / count);
        }
    }
}

bool CFlipFilter::Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output, int outWidth,
                        int outHeight) const {
    if (!m_bHorizontal && !m_bVertical) {
        return CImageFilter::Apply(input, inWidth, inHeight, output, outWidth, outHeight);
    }
    for (int y = 0; y < inHeight; ++y) {
        const int toY = m_bVertical ? inHeight - 1 - y : y;
        for (int x = 0; x < inWidth; ++x) {
            const int toX = m_bHorizontal ? inWidth - 1 - x : x;
            At(output, outWidth, toX, toY) = At(input, inWidth, x, y);
        }
    }
    return true;
}
