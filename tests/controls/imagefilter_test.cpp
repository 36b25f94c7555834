#include "controls/imagefilter.h"

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/colorfilters.h"
#include "controls/geometryfilters.h"
#include "controls/kernelfilters.h"

namespace {

// The background the output holds before a filter runs; its fourth byte shows whether a
// filter wrote a pixel's fourth byte.
constexpr Pixel kBackground{1, 2, 3, 0x77};

Pixel Grey(int level, int fourth = 0) {
    const auto v = static_cast<std::uint8_t>(level);
    return Pixel{v, v, v, static_cast<std::uint8_t>(fourth)};
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;

    const Pixel& At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

Picture GreyPicture(int width, int height, const std::vector<int>& levels) {
    Picture picture{width, height, {}};
    for (int level : levels) {
        picture.pixels.push_back(Grey(level));
    }
    return picture;
}

// Every pixel distinct: red is the column, green the row, blue 99, fourth 5.
Picture Numbered(int width, int height) {
    Picture picture{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.pixels.push_back(
                Pixel{99, static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x), 5});
        }
    }
    return picture;
}

struct Outcome {
    bool applied = false;
    Picture output;
};

Outcome Filtered(const CImageFilter& filter, const Picture& input) {
    const PictureSize size = filter.GetOutputSize(input.width, input.height);
    Outcome run;
    run.output = {
        size.width, size.height,
        std::vector<Pixel>(static_cast<std::size_t>(size.width * size.height), kBackground)};
    run.applied = filter.Apply(input.pixels.data(), input.width, input.height,
                               run.output.pixels.data(), size.width, size.height);
    return run;
}

std::vector<int> Reds(const Picture& picture) {
    std::vector<int> reds;
    for (const Pixel& p : picture.pixels) {
        reds.push_back(p.red);
    }
    return reds;
}

struct SizeCase {
    std::string name;
    std::shared_ptr<CImageFilter> filter;
    PictureSize input;
    PictureSize output;
};

TEST(FilterSize, EachFilterStatesItsOutputSize) {
    const SizeCase cases[] = {
        {"rotate 45", std::make_shared<CRotateFilter>(45, false), {10, 10}, {16, 16}},
        {"rotate 0", std::make_shared<CRotateFilter>(0, true), {10, 7}, {10, 7}},
        {"rotate 360", std::make_shared<CRotateFilter>(360, true), {10, 7}, {10, 7}},
        {"rotate -315 is 45", std::make_shared<CRotateFilter>(-315, true), {10, 10}, {16, 16}},
        {"rotate empty", std::make_shared<CRotateFilter>(30, true), {0, 7}, {0, 7}},
        {"skew right", std::make_shared<CSkewFilter>(10, 0, false), {20, 20}, {30, 20}},
        {"skew both ways", std::make_shared<CSkewFilter>(-3, -4, true), {20, 10}, {23, 14}},
        {"half", std::make_shared<CScaleFilter>(0.5), {4, 4}, {2, 2}},
        {"double", std::make_shared<CScaleFilter>(2.0), {4, 3}, {8, 6}},
        {"truncated", std::make_shared<CScaleFilter>(0.3), {5, 7}, {1, 2}},
        {"nothing", std::make_shared<CScaleFilter>(0.0), {5, 7}, {0, 0}},
        {"blur", std::make_shared<CBlurFilter>(3), {5, 7}, {5, 7}},
        {"flip", std::make_shared<CFlipFilter>(true, false), {5, 7}, {5, 7}},
        {"grey", std::make_shared<CGrayFilter>(), {5, 7}, {5, 7}},
    };
    for (const SizeCase& c : cases) {
        EXPECT_EQ(c.filter->GetOutputSize(c.input.width, c.input.height), c.output) << c.name;
    }
}

TEST(FilterSize, HugeFactorsAndShearsStayWithinInt) {
    EXPECT_EQ(CScaleFilter(1e12).GetOutputSize(10, 10).width, INT_MAX);
    EXPECT_EQ(CSkewFilter(INT_MIN, 0, false).GetOutputSize(10, 10).width, INT_MAX);
}

TEST(SmoothSample, IsTheMeanOfAHorizontalAndAVerticalInterpolation) {
    // 0 100
    // 200 40
    const Picture p = GreyPicture(2, 2, {0, 100, 200, 40});
    const auto at = [&](double u, double v) {
        return SmoothSample(p.pixels.data(), 2, 2, u, v).red;
    };
    EXPECT_EQ(at(0, 0), 0);
    EXPECT_EQ(at(0.5, 0), 25);       // (50 across + 0 down) / 2
    EXPECT_EQ(at(0, 0.5), 50);       // (0 + 100) / 2
    EXPECT_EQ(at(0.5, 0.5), 75);     // not bilinear, which would give 85
    EXPECT_EQ(at(1.5, 0), 100);      // the last column is its own right neighbour
    EXPECT_EQ(at(0.75, 1.25), 140);  // 0.5 * (1 * 200 + 0.75 * 40 + 0.25 * 200)
    const Picture coloured = Numbered(3, 3);
    EXPECT_EQ(SmoothSample(coloured.pixels.data(), 3, 3, 1, 2).fourth, 0);
    // Before the picture: the nearest pixel, unchanged with its fourth byte.
    EXPECT_EQ(SmoothSample(coloured.pixels.data(), 3, 3, -0.5, 1.7), coloured.At(0, 1));
    EXPECT_EQ(SmoothSample(coloured.pixels.data(), 3, 3, 2.2, -3), coloured.At(2, 0));
}

TEST(RotateFilter, FortyFiveDegreesOfTenByTen) {
    const Picture input = Numbered(10, 10);
    const Outcome run = Filtered(CRotateFilter(45, false), input);
    ASSERT_TRUE(run.applied);
    const Picture& out = run.output;
    ASSERT_EQ(out.width, 16);
    for (const auto& [x, y] : {std::pair{0, 0}, {15, 0}, {0, 15}, {15, 15}, {3, 1}}) {
        EXPECT_EQ(out.At(x, y), kBackground) << x << "," << y;
    }
    // Worked by hand: output (7, 8) is source offset (0, 0) from the centre (5, 5);
    // output (9, 8) is offset (2, 0) turned: (1.41, -1.41), truncated (1, -1).
    EXPECT_EQ(out.At(7, 8), input.At(5, 5));
    EXPECT_EQ(out.At(9, 8), input.At(6, 4));
    EXPECT_EQ(out.At(7, 10), input.At(6, 6));  // offset (0, 2) turned: (1.41, 1.41)
    // The last column and row of the input never appear.
    for (const Pixel& p : out.pixels) {
        if (p != kBackground) {
            EXPECT_LT(p.red, 9);
            EXPECT_LT(p.green, 9);
        }
    }
}

TEST(RotateFilter, NoTurnCopiesEveryPixel) {
    const Picture input = Numbered(6, 4);
    for (int degrees : {0, 360, -720}) {
        const Outcome run = Filtered(CRotateFilter(degrees, true), input);
        EXPECT_TRUE(run.applied);
        EXPECT_EQ(run.output.pixels, input.pixels) << degrees;
    }
}

TEST(RotateFilter, SmoothSamplesAtTheTurnedPosition) {
    // A uniform picture stays uniform where it is written: the sample of equal pixels.
    const Picture input = GreyPicture(8, 8, std::vector<int>(64, 180));
    const Outcome run = Filtered(CRotateFilter(30, true), input);
    int written = 0;
    for (const Pixel& p : run.output.pixels) {
        if (p != kBackground) {
            EXPECT_EQ(p, Grey(180));
            ++written;
        }
    }
    EXPECT_GT(written, 30);
}

TEST(SkewFilter, RowsSlideAndTheRestKeepsTheBackground) {
    const Picture input = Numbered(20, 20);
    const Outcome right = Filtered(CSkewFilter(10, 0, false), input);
    ASSERT_EQ(right.output.width, 30);
    EXPECT_EQ(right.output.At(9, 0), kBackground);
    EXPECT_EQ(right.output.At(10, 0), input.At(0, 0));
    EXPECT_EQ(right.output.At(29, 0), input.At(19, 0));
    // Row 19 slides by half a pixel: -0.5 still truncates into the picture.
    EXPECT_EQ(right.output.At(0, 19), input.At(0, 19));
    EXPECT_EQ(right.output.At(20, 19), input.At(19, 19));
    EXPECT_EQ(right.output.At(21, 19), kBackground);

    const Outcome left = Filtered(CSkewFilter(-10, 0, false), input);
    EXPECT_EQ(left.output.At(0, 0), input.At(0, 0));
    EXPECT_EQ(left.output.At(20, 0), kBackground);
    EXPECT_EQ(left.output.At(29, 19), input.At(19, 19));  // slid by 9.5

    const Outcome down = Filtered(CSkewFilter(0, 4, false), input);
    EXPECT_EQ(down.output.height, 24);
    EXPECT_EQ(down.output.At(0, 0), input.At(0, 0));
    EXPECT_EQ(down.output.At(19, 3), input.At(19, 0));  // column 19 slides by 19 * 4 / 20
    EXPECT_EQ(down.output.At(19, 2), kBackground);

    EXPECT_EQ(Filtered(CSkewFilter(0, 0, true), input).output.pixels, input.pixels);
}

TEST(GrayFilter, WeighsRedGreenAndBlueThreeSixOne) {
    const struct {
        Pixel in;
        int grey;
    } cases[] = {
        {{0, 0, 255, 9}, 76},      {{0, 255, 0, 9}, 153}, {{255, 0, 0, 9}, 25},
        {{255, 255, 255, 9}, 255}, {{30, 20, 10, 9}, 18}, {{0, 0, 0, 9}, 0},
    };
    for (const auto& c : cases) {
        const Outcome run = Filtered(CGrayFilter(), Picture{1, 1, {c.in}});
        EXPECT_EQ(run.output.pixels[0], Grey(c.grey)) << c.grey;
    }
}

TEST(BlurFilter, ThreeByThreeAtLevelsOneAndTen) {
    const Picture dot = GreyPicture(3, 3, {0, 0, 0, 0, 255, 0, 0, 0, 0});
    // Centre: 255 x weight / (weight + 8); edge: 255 / (weight + 5); corner 255 / (weight + 3).
    const struct {
        int level;
        std::vector<int> reds;
    } cases[] = {
        {1, {4, 4, 4, 4, 219, 4, 4, 4, 4}},
        {10, {31, 25, 31, 25, 98, 25, 31, 25, 31}},
        {15, {31, 25, 31, 25, 98, 25, 31, 25, 31}},
    };
    for (const auto& c : cases) {
        const Outcome run = Filtered(CBlurFilter(c.level), dot);
        EXPECT_EQ(Reds(run.output), c.reds) << c.level;
        EXPECT_EQ(run.output.pixels[4].fourth, kBackground.fourth) << "fourth byte not written";
    }
    const Picture input = Numbered(4, 3);
    EXPECT_EQ(Filtered(CBlurFilter(0), input).output.pixels, input.pixels);
    EXPECT_EQ(Filtered(CBlurFilter(-4), input).output.pixels, input.pixels);
}

TEST(SharpenFilter, ClampsToTheRangeOfAChannel) {
    const struct {
        int level;
        int centre;
        int around;
        int expected;
    } cases[] = {
        {10, 200, 100, 255},  // 400 - 100
        {10, 10, 200, 0},     // 20 - 200
        {10, 120, 100, 140},  // 240 - 100
        {5, 200, 100, 255},  {5, 40, 200, 0},
    };
    for (const auto& c : cases) {
        const Picture input = GreyPicture(3, 3,
                                          {c.around, c.around, c.around, c.around, c.centre,
                                           c.around, c.around, c.around, c.around});
        const Outcome run = Filtered(CSharpenFilter(c.level), input);
        EXPECT_EQ(run.output.At(1, 1).red, c.expected) << c.level << " " << c.centre;
        EXPECT_EQ(run.output.At(0, 0), input.At(0, 0)) << "the outer ring is copied";
        EXPECT_EQ(run.output.At(2, 1), input.At(2, 1));
    }
    // Level 10 has exact weights: a flat area stays flat.
    const Outcome flat = Filtered(CSharpenFilter(12), GreyPicture(3, 3, std::vector<int>(9, 77)));
    EXPECT_EQ(flat.output.At(1, 1).red, 77);
    const Picture input = Numbered(4, 3);
    EXPECT_EQ(Filtered(CSharpenFilter(0), input).output.pixels, input.pixels);
}

TEST(ScaleFilter, DoublingInterpolates) {
    const Outcome run = Filtered(CScaleFilter(2.0), GreyPicture(2, 2, {0, 100, 200, 40}));
    ASSERT_TRUE(run.applied);
    EXPECT_EQ(Reds(run.output), (std::vector<int>{0, 25, 100, 100,   //
                                                  50, 75, 85, 85,    //
                                                  200, 160, 40, 40,  //
                                                  200, 160, 40, 40}));
}

TEST(ScaleFilter, HalvingAveragesUnevenBlocks) {
    // The first output column takes source columns 0..2, the second column 3 alone.
    std::vector<int> levels;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            levels.push_back(10 * x + 40 * y + (x == 0 && y == 0 ? 5 : 0));
        }
    }
    const Outcome run = Filtered(CScaleFilter(0.5), GreyPicture(4, 4, levels));
    ASSERT_TRUE(run.applied);
    EXPECT_EQ(Reds(run.output), (std::vector<int>{50, 70, 130, 150}));  // 455 / 9 = 50
    EXPECT_EQ(run.output.pixels[0].fourth, kBackground.fourth);
}

TEST(ScaleFilter, ARangeUsedUpLeavesTheBackground) {
    // 10 pixels at 0.9: the rounding uses the last column (row) up for output column 7.
    const Outcome run = Filtered(CScaleFilter(0.9), GreyPicture(10, 10, std::vector<int>(100, 60)));
    ASSERT_EQ(run.output.width, 9);
    ASSERT_EQ(run.output.height, 9);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(run.output.At(x, 0).red, 60) << x;
        EXPECT_EQ(run.output.At(8, x), kBackground) << x;
        EXPECT_EQ(run.output.At(x, 8), kBackground) << x;
    }
}

TEST(ScaleFilter, OneCopiesAndNothingOrLessFails) {
    const Picture input = Numbered(3, 2);
    EXPECT_EQ(Filtered(CScaleFilter(1.0), input).output.pixels, input.pixels);
    EXPECT_FALSE(Filtered(CScaleFilter(0.0), input).applied);
    EXPECT_FALSE(Filtered(CScaleFilter(-2.0), input).applied);
}

TEST(NegativeFilter, InvertsTheChannelsOnly) {
    const Outcome run = Filtered(CNegativeFilter(), Picture{1, 1, {{10, 200, 255, 9}}});
    EXPECT_EQ(run.output.pixels[0], (Pixel{245, 55, 0, kBackground.fourth}));
}

TEST(FlipFilter, MovesWholePixels) {
    const Picture input = Numbered(3, 2);
    const struct {
        bool horizontal;
        bool vertical;
        int x;  // where input (0, 0) goes
        int y;
    } cases[] = {
        {false, false, 0, 0}, {true, false, 2, 0}, {false, true, 0, 1}, {true, true, 2, 1}};
    for (const auto& c : cases) {
        const Outcome run = Filtered(CFlipFilter(c.horizontal, c.vertical), input);
        EXPECT_EQ(run.output.At(c.x, c.y), input.At(0, 0));
        EXPECT_EQ(run.output.At(1, c.y), input.At(1, 0));
        EXPECT_EQ(run.output.At(2 - c.x, 1 - c.y), input.At(2, 1));
    }
}

TEST(ReplaceColorFilter, ReplacesMatchingChannelsWhateverTheFourthByte) {
    const Picture input{3, 1, {{30, 20, 10, 9}, {30, 20, 11, 9}, {30, 20, 10, 0}}};
    const Outcome run = Filtered(CReplaceColorFilter(RGB(10, 20, 30), RGB(1, 2, 3)), input);
    EXPECT_EQ(run.output.pixels, (std::vector<Pixel>{{3, 2, 1, 0}, {30, 20, 11, 9}, {3, 2, 1, 0}}));
    EXPECT_EQ(Filtered(CReplaceColorFilter(RGB(10, 20, 30), RGB(10, 20, 30)), input).output.pixels,
              input.pixels);
}

}  // namespace
