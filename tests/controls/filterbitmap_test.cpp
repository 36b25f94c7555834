#include "controls/filterbitmap.h"

#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "controls/colorfilters.h"
#include "controls/geometryfilters.h"
#include "controls/kernelfilters.h"

namespace {

constexpr COLORREF kFace = RGB(212, 208, 200);

// A picture whose pixels all differ: red the column x 9, green the row x 7, blue 50.
QImage Numbered(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb(x * 9 % 256, y * 7 % 256, 50));
        }
    }
    return image;
}

CFilterBitmap Holding(const QImage& image, COLORREF background = kFace) {
    CFilterBitmap bitmap(background);
    EXPECT_TRUE(bitmap.Attach(image));
    return bitmap;
}

COLORREF PixelAt(const CFilterBitmap& bitmap, int x, int y) {
    const QRgb rgb = bitmap.GetBitmap().pixel(x, y);
    return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

bool ApplyOne(CFilterBitmap& bitmap, const CImageFilter& filter) {
    const CImageFilter* const chain[] = {&filter};
    return bitmap.ApplyFilters(chain);
}

// Writes garbage over its output, then fails.
class FailingFilter : public CImageFilter {
public:
    bool Apply(const Pixel*, int, int, Pixel* output, int width, int height) const override {
        FillPixels(output, width, height, RGB(1, 2, 3));
        return false;
    }
};

TEST(FillPixels, FillsByColourWithItsOwnRules) {
    const struct {
        COLORREF color;
        Pixel pixel;
    } cases[] = {
        {0xFFFFFFFF, {255, 255, 255, 255}},
        {RGB(255, 255, 255), {255, 255, 255, 255}},
        {0, {0, 0, 0, 0}},
        {RGB(1, 2, 3), {3, 2, 1, 0}},
        {0x01000000, {0, 0, 0, 0}},
    };
    const PictureSize sizes[] = {{1, 1}, {7, 5}, {13, 1}, {1, 9}, {16, 16}};
    for (const auto& c : cases) {
        for (const PictureSize size : sizes) {
            std::vector<Pixel> pixels(static_cast<std::size_t>(size.width * size.height) + 1,
                                      Pixel{9, 9, 9, 9});
            EXPECT_TRUE(FillPixels(pixels.data(), size.width, size.height, c.color));
            for (std::size_t i = 0; i + 1 < pixels.size(); ++i) {
                ASSERT_EQ(pixels[i], c.pixel)
                    << c.color << " " << size.width << "x" << size.height << " at " << i;
            }
            EXPECT_EQ(pixels.back(), (Pixel{9, 9, 9, 9})) << "nothing past the picture";
        }
    }
    EXPECT_FALSE(FillPixels(nullptr, 3, 3, RGB(1, 2, 3)));
}

TEST(FilterBitmap, PixelsComeOutBlueGreenRedWithFourthBytesZero) {
    const CFilterBitmap bitmap = Holding(Numbered(3, 2));
    const std::vector<Pixel> pixels = bitmap.GetPixels();
    ASSERT_EQ(pixels.size(), 6U);
    EXPECT_EQ(pixels[5], (Pixel{50, 7, 18, 0}));
    EXPECT_TRUE(CFilterBitmap(kFace).GetPixels().empty());
}

TEST(FilterBitmap, WithoutABitmapEveryFilterFails) {
    CFilterBitmap empty(kFace);
    const std::vector<std::function<bool(CFilterBitmap&)>> operations = {
        [](CFilterBitmap& b) { return ApplyOne(b, CRotateFilter(45, true)); },
        [](CFilterBitmap& b) { return ApplyOne(b, CScaleFilter(2.0)); },
        [](CFilterBitmap& b) { return b.Flip(true, false); },
        [](CFilterBitmap& b) { return b.ApplyFilters({}); },
    };
    for (const auto& operation : operations) {
        EXPECT_FALSE(operation(empty));
        EXPECT_TRUE(empty.IsEmpty());
    }
}

TEST(FilterBitmap, AFailedChainLeavesTheBitmapAsItWas) {
    const QImage original = Numbered(6, 5);
    const FailingFilter failing;
    const CRotateFilter rotate(30, true);
    const CImageFilter* const lateFailure[] = {&rotate, &failing};
    const std::vector<std::function<bool(CFilterBitmap&)>> failures = {
        [](CFilterBitmap& b) { return ApplyOne(b, CScaleFilter(0.0)); },
        [](CFilterBitmap& b) { return ApplyOne(b, CScaleFilter(-1.5)); },
        [](CFilterBitmap& b) { return ApplyOne(b, CScaleFilter(0.1)); },  // nothing left: 0 x 0
        [&](CFilterBitmap& b) { return b.ApplyFilters(lateFailure); },
    };
    for (const auto& failure : failures) {
        CFilterBitmap bitmap = Holding(original);
        EXPECT_FALSE(failure(bitmap));
        EXPECT_EQ(bitmap.GetBitmap(), original);
    }
    CFilterBitmap bitmap = Holding(original);
    EXPECT_TRUE(bitmap.ApplyFilters({}));
    EXPECT_EQ(bitmap.GetBitmap(), original);
}

TEST(FilterBitmap, ARotationAfterASizeKeepingFilterShowsTheBackgroundInTheCorners) {
    CFilterBitmap bitmap = Holding(Numbered(10, 10));
    const CGrayFilter grey;
    const CRotateFilter rotate(45, false);
    const CImageFilter* const chain[] = {&grey, &rotate};
    ASSERT_TRUE(bitmap.ApplyFilters(chain));
    ASSERT_EQ(bitmap.GetBitmap().size(), QSize(16, 16));
    for (const auto& [x, y] : {std::pair{0, 0}, {15, 0}, {0, 15}, {15, 15}}) {
        EXPECT_EQ(PixelAt(bitmap, x, y), kFace);
    }
    const COLORREF centre = PixelAt(bitmap, 7, 8);
    EXPECT_EQ(GetRValue(centre), GetGValue(centre)) << "grey";
}

TEST(FilterBitmap, AShrinkingStepSeesNoTraceOfALargerOne) {
    // A 32 x 32 intermediate picture fills the buffer in red; the rotation afterwards must
    // find the background where it writes nothing.
    QImage red(8, 8, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    CFilterBitmap bitmap = Holding(red);
    const CScaleFilter grow(4.0);
    const CScaleFilter shrink(0.25);
    const CRotateFilter rotate(45, false);
    const CImageFilter* const chain[] = {&grow, &shrink, &rotate};
    ASSERT_TRUE(bitmap.ApplyFilters(chain));
    ASSERT_EQ(bitmap.GetBitmap().size(), QSize(12, 12));
    EXPECT_EQ(PixelAt(bitmap, 0, 0), kFace);
    EXPECT_EQ(PixelAt(bitmap, 11, 11), kFace);
    EXPECT_EQ(PixelAt(bitmap, 5, 6), RGB(255, 0, 0));
}

TEST(FilterBitmap, AChainEqualsItsFiltersOneByOne) {
    const CBlurFilter blur(4);
    const CRotateFilter rotate(33, true);
    const CRotateFilter rotateBack(-20, false);
    const CScaleFilter grow(1.7);
    const CScaleFilter shrink(0.6);
    const CSkewFilter skew(-5, 3, true);
    const CFlipFilter flip(true, true);
    const CNegativeFilter negative;
    const std::vector<std::vector<const CImageFilter*>> chains = {
        {&blur, &rotate},
        {&rotate, &rotateBack},
        {&grow, &rotate, &shrink},
        {&skew, &flip, &negative},
        {&shrink, &grow, &skew, &rotateBack},
    };
    for (std::size_t i = 0; i < chains.size(); ++i) {
        CFilterBitmap chained = Holding(Numbered(13, 9));
        CFilterBitmap stepwise = Holding(Numbered(13, 9));
        ASSERT_TRUE(chained.ApplyFilters(chains[i]));
        for (const CImageFilter* filter : chains[i]) {
            ASSERT_TRUE(ApplyOne(stepwise, *filter));
        }
        EXPECT_EQ(chained.GetBitmap(), stepwise.GetBitmap()) << "chain " << i;
    }
}

TEST(FilterBitmap, CopiesAreIndependent) {
    const CFilterBitmap source = Holding(Numbered(4, 4));
    CFilterBitmap copy(kFace);
    ASSERT_TRUE(copy.CopyFrom(source.GetBitmap()));
    ASSERT_TRUE(ApplyOne(copy, CNegativeFilter()));
    EXPECT_EQ(source.GetBitmap(), Numbered(4, 4));
    EXPECT_NE(copy.GetBitmap(), source.GetBitmap());

    EXPECT_FALSE(copy.CopyFrom(QImage()));
    copy.CopyFrom(static_cast<const CFilterBitmap*>(nullptr));
    EXPECT_FALSE(copy.IsEmpty());
    copy.CopyFrom(&source);
    EXPECT_EQ(copy.GetBitmap(), source.GetBitmap());
}

TEST(FilterBitmap, IconsAreDrawnOverTheColourOrOverNothing) {
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(qRgba(0, 0, 0, 0));
    icon.setPixel(5, 6, qRgba(0, 0, 255, 255));
    const struct {
        COLORREF background;
        COLORREF transparent;
    } cases[] = {
        {0xFFFFFFFF, RGB(0, 0, 0)}, {kFace, kFace}, {RGB(255, 255, 255), RGB(255, 255, 255)}};
    for (const auto& c : cases) {
        CFilterBitmap bitmap(RGB(255, 255, 255));
        ASSERT_TRUE(bitmap.FromIcon(icon, c.background));
        EXPECT_EQ(bitmap.GetBitmap().size(), QSize(32, 32));
        EXPECT_EQ(PixelAt(bitmap, 0, 0), c.transparent);
        EXPECT_EQ(PixelAt(bitmap, 31, 31), c.transparent);
        EXPECT_EQ(PixelAt(bitmap, 5, 6), RGB(0, 0, 255));
    }
}

TEST(FilterBitmap, FlipMirrorsThePicture) {
    CFilterBitmap flipped = Holding(Numbered(10, 10));
    ASSERT_TRUE(flipped.Flip(true, false));
    EXPECT_EQ(PixelAt(flipped, 0, 3), RGB(81, 21, 50));
}

}  // namespace
