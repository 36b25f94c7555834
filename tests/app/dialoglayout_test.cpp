#include <gtest/gtest.h>

#include "app/dialogtemplates.h"
#include "app/dialogunits.h"
#include "app/progressbar.h"

namespace {

// The base units of a 9-point Song face on a 96-dpi screen: 6 x 12 pixels.
constexpr DialogBaseUnits kSong9{6, 12};

TEST(DialogUnitsTest, BaseUnitsComeFromTheAverageWidthAndTheHeight) {
    struct Case {
        int alphabetWidth;
        int height;
        DialogBaseUnits expected;
    };
    const Case cases[] = {
        {312, 12, {6, 12}},   // a Song face: 52 letters of 6 pixels
        {338, 13, {7, 13}},   // 6.5 pixels on average rounds up
        {285, 13, {5, 13}},   // 5.48 rounds down
        {624, 24, {12, 24}},  // the same face twice as large
    };
    for (const Case& c : cases) {
        const DialogBaseUnits units = BaseUnitsOf(c.alphabetWidth, c.height);
        EXPECT_EQ(units.x, c.expected.x) << c.alphabetWidth;
        EXPECT_EQ(units.y, c.expected.y) << c.alphabetWidth;
    }
}

// Each number is rounded on its own, halves up: 3 units across are 4.5 pixels, so 5.
TEST(DialogUnitsTest, TheMainDialogIsLaidOutFromItsTemplate) {
    struct Case {
        int id;
        DialogRect pixels;
    };
    const Case cases[] = {
        {IDC_SUBFOLDERS, {21, 39, 122, 15}}, {IDC_ARTIST_DIRS, {21, 62, 132, 15}},
        {IDC_PROGRESS, {8, 8, 183, 11}},     {IDC_OPTIONS, {5, 21, 11, 9}},
        {IDC_LINE, {20, 26, 173, 2}},        {IDC_PICTURE, {200, 42, 24, 26}},
        {IDC_BUTTONS, {201, 5, 47, 24}},
    };
    const DialogTemplate& layout = MainDialogTemplate();
    for (const Case& c : cases) {
        EXPECT_EQ(layout.ItemRect(c.id, kSong9), c.pixels) << c.id;
    }
    EXPECT_EQ(layout.ClientRect(kSong9), (DialogRect{0, 0, 252, 87}));
    EXPECT_STREQ(layout.caption, "Mp3名称整理");
    EXPECT_STREQ(layout.Item(IDC_SUBFOLDERS).text, "查找所有子目录(&P)");
    EXPECT_STREQ(layout.Item(IDC_ARTIST_DIRS).text, "按歌手名建立目录(&G)");
}

TEST(DialogUnitsTest, ALargerFontScalesTheWholeLayout) {
    const DialogTemplate& layout = MainDialogTemplate();
    const DialogBaseUnits doubled{12, 24};
    for (const DialogItem& item : layout.items) {
        const DialogRect small = layout.ItemRect(item.id, kSong9);
        const DialogRect large = layout.ItemRect(item.id, doubled);
        // Twice the rounded numbers, give or take the rounding of halves.
        EXPECT_NEAR(large.x, 2 * small.x, 1) << item.id;
        EXPECT_NEAR(large.cy, 2 * small.cy, 1) << item.id;
    }
    EXPECT_EQ(layout.ClientRect(doubled), (DialogRect{0, 0, 504, 174}));
}

TEST(DialogUnitsTest, TheAboutBoxIsLaidOutFromItsTemplate) {
    const DialogTemplate& layout = AboutDialogTemplate();
    EXPECT_EQ(layout.ClientRect(kSong9), (DialogRect{0, 0, 353, 83}));
    EXPECT_EQ(layout.ItemRect(IDC_ABOUT_OK, kSong9), (DialogRect{267, 11, 75, 21}));
    EXPECT_EQ(layout.ItemRect(IDC_ABOUT_NAME, kSong9), (DialogRect{60, 15, 179, 12}));
    EXPECT_STREQ(layout.caption, "关于 sortune");
    EXPECT_STREQ(layout.Item(IDC_ABOUT_NAME).text, "sortune 1.0 版");
    EXPECT_STREQ(layout.Item(IDC_ABOUT_OK).text, "确定");
}

// The bar is painted on item 1017: 8, 8 to 191, 19.
TEST(ProgressBarTest, TheBarGrowsInsideTheOutlineAndStopsTwoPixelsShortWhenFull) {
    const Rect outer{8, 8, 191, 19};
    const Rect inside{9, 9, 190, 18};
    struct Case {
        int pos;
        int total;
        Rect bar;
    };
    const Case cases[] = {
        {0, 0, {}},                   // idle: no bar
        {0, 10, {}},                  // a pass starting
        {10, 10, {10, 10, 188, 17}},  // full: (181 - 2) wide from 9, two short of 190
        {5, 10, {10, 10, 98, 17}},    // 179 / 2 = 89.5, cut to 89
        {1, 3, {10, 10, 68, 17}},     // 59.67 cut toward zero
        {1, 1000, {10, 10, 9, 17}},   // less than a pixel: nothing to fill
        {3, 0, {}},                   // no total: no bar rather than a division by zero
    };
    for (const Case& c : cases) {
        const ProgressBarRects rects = ProgressBarOf(outer, c.pos, c.total);
        EXPECT_EQ(rects.outline, outer);
        EXPECT_EQ(rects.inside, inside);
        EXPECT_EQ(rects.bar, c.bar) << c.pos << "/" << c.total;
        EXPECT_EQ(rects.bar.IsEmpty(), c.bar.IsEmpty()) << c.pos << "/" << c.total;
    }
}

}  // namespace
