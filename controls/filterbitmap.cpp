#include "controls/filterbitmap.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <utility>

#include "controls/canvas.h"
#include "controls/geometryfilters.h"

namespace {

// More pixels than a chain may hold at once (a gigabyte per buffer).
constexpr long long kMaxPixels = 1LL << 28;

long long PixelCount(PictureSize size) {
    return static_cast<long long>(size.width) * size.height;
}

// A bitmap of the pixels; the fourth byte plays no part in it. Null when it cannot be made.
QImage ImageFromPixels(const Pixel* pixels, PictureSize size) {
    if (size.width <= 0 || size.height <= 0) {
        return {};
    }
    QImage image(size.width, size.height, QImage::Format_RGB32);
    if (image.isNull()) {
        return {};
    }
    for (int y = 0; y < size.height; ++y) {
        auto* line = reinterpret_cast<Pixel*>(image.scanLine(y));
        std::copy_n(pixels + static_cast<std::ptrdiff_t>(y) * size.width, size.width, line);
        for (int x = 0; x < size.width; ++x) {
            line[x].fourth = 0xFF;
        }
    }
    return image;
}

// The pixels of the chain: the input of the current step and the output it writes, the
// output sized once for the largest picture of the chain.
class ChainBuffers {
public:
    bool Start(std::vector<Pixel> input, PictureSize largest, COLORREF background) {
        if (PixelCount(largest) > kMaxPixels) {
            return false;
        }
        input_ = std::move(input);
        output_.assign(static_cast<std::size_t>(PixelCount(largest)), Pixel{});
        capacity_ = PixelCount(largest);
        background_ = background;
        return FillPixels(output_.data(), largest.width, largest.height, background);
    }

    // The last output becomes the input; the output is background again wherever it wrote.
    void Advance(PictureSize lastInput, PictureSize lastOutput) {
        if (lastInput.width < lastOutput.width || lastInput.height < lastOutput.height) {
            input_.assign(static_cast<std::size_t>(PixelCount(lastOutput)), Pixel{});
        }
        std::copy_n(output_.begin(), PixelCount(lastOutput), input_.begin());
        FillPixels(output_.data(), lastOutput.width, lastOutput.height, background_);
    }

    bool Run(const CImageFilter& filter, PictureSize in, PictureSize out) {
        if (out.width < 0 || out.height < 0 || PixelCount(out) > capacity_) {
            return false;
        }
        return filter.Apply(input_.data(), in.width, in.height, output_.data(), out.width,
                            out.height);
    }

    const Pixel* Output() const { return output_.data(); }

private:
    std::vector<Pixel> input_;
    std::vector<Pixel> output_;
    long long capacity_ = 0;
    COLORREF background_ = 0;
};

}  // namespace

bool CFilterBitmap::Attach(const QImage& bitmap) {
    if (bitmap.isNull()) {
        return false;
    }
    m_bitmap = bitmap.convertToFormat(QImage::Format_RGB32);
    return !m_bitmap.isNull();
}

QImage CFilterBitmap::Detach() {
    return std::exchange(m_bitmap, QImage());
}

std::vector<Pixel> CFilterBitmap::GetPixels() const {
    std::vector<Pixel> pixels;
    if (m_bitmap.isNull()) {
        return pixels;
    }
    const int width = m_bitmap.width();
    pixels.resize(static_cast<std::size_t>(width) * m_bitmap.height());
    for (int y = 0; y < m_bitmap.height(); ++y) {
        const auto* line = reinterpret_cast<const Pixel*>(m_bitmap.constScanLine(y));
        Pixel* row = pixels.data() + static_cast<std::ptrdiff_t>(y) * width;
        std::copy_n(line, width, row);
        for (int x = 0; x < width; ++x) {
            row[x].fourth = 0;
        }
    }
    return pixels;
}

bool CFilterBitmap::CopyFrom(const QImage& bitmap) {
    if (bitmap.isNull()) {
        return false;
    }
    QImage copy = bitmap.convertToFormat(QImage::Format_RGB32).copy();
    if (copy.isNull()) {
        return false;
    }
    m_bitmap = std::move(copy);
    return true;
}

void CFilterBitmap::CopyFrom(const CFilterBitmap* other) {
    if (other != nullptr) {
        CopyFrom(other->m_bitmap);
    }
}

bool CFilterBitmap::FromIcon(const QImage& icon, COLORREF background) {
    constexpr int kIconSize = 32;
    Canvas canvas(kIconSize, kIconSize);
    if (background != 0xFFFFFFFF) {
        canvas.FillRect({0, 0, kIconSize, kIconSize}, background);
    }
    if (!icon.isNull()) {
        canvas.DrawIcon(
            0, 0,
            icon.size() == QSize(kIconSize, kIconSize) ? icon : icon.scaled(kIconSize, kIconSize));
    }
    return Attach(canvas.Image());
}

bool CFilterBitmap::ApplyFilters(std::span<const CImageFilter* const> filters) {
    if (m_bitmap.isNull()) {
        return false;
    }
    if (filters.empty()) {
        return true;
    }
    PictureSize in{m_bitmap.width(), m_bitmap.height()};
    PictureSize largest = in;
    for (PictureSize size = in; const CImageFilter* filter : filters) {
        size = filter->GetOutputSize(size.width, size.height);
        largest = {std::max(largest.width, size.width), std::max(largest.height, size.height)};
    }
    try {
        ChainBuffers buffers;
        if (!buffers.Start(GetPixels(), largest, m_crBackground)) {
            return false;
        }
        PictureSize lastIn;
        PictureSize out;
        for (std::size_t k = 0; k < filters.size(); ++k) {
            if (k > 0) {
                buffers.Advance(lastIn, out);
                in = out;
            }
            out = filters[k]->GetOutputSize(in.width, in.height);
            if (!buffers.Run(*filters[k], in, out)) {
                return false;
            }
            lastIn = in;
        }
        return Attach(ImageFromPixels(buffers.Output(), out));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CFilterBitmap::Flip(bool horizontal, bool vertical) {
    const CFlipFilter filter(horizontal, vertical);
    const CImageFilter* const chain[] = {&filter};
    return ApplyFilters(chain);
}

bool FillPixels(Pixel* pixels, int width, int height, COLORREF color) {
    if (pixels == nullptr) {
        return false;
    }
    if (width <= 0 || height <= 0) {
        return true;
    }
    const std::size_t rowPixels = static_cast<std::size_t>(width);
    const std::size_t count = rowPixels * static_cast<std::size_t>(height);
    if (color == 0xFFFFFFFF || color == RGB(255, 255, 255) || color == 0) {
        const std::uint8_t byte = color == 0 ? 0 : 0xFF;
        std::fill_n(pixels, count, Pixel{byte, byte, byte, byte});
        return true;
    }
    pixels[0] = PixelOf(color);
    for (std::size_t filled = 1; filled < rowPixels; filled *= 2) {
        std::copy_n(pixels, std::min(filled, rowPixels - filled), pixels + filled);
    }
    for (std::size_t rows = 1; rows < static_cast<std::size_t>(height); rows *= 2) {
        const std::size_t more = std::min(rows, static_cast<std::size_t>(height) - rows);
        std::copy_n(pixels, more * rowPixels, pixels + rows * rowPixels);
    }
    return true;
}
