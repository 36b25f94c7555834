#include "controls/canvas.h"

#include <set>
#include <utility>
#include <vector>

#include <QPolygon>

#include <gtest/gtest.h>

namespace {

using Points = std::set<std::pair<int, int>>;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kInk = RGB(10, 20, 30);

Canvas WhiteCanvas(int width, int height) {
    Canvas canvas(width, height);
    canvas.FillRect({0, 0, width, height}, kWhite);
    return canvas;
}

// The pixels of the picture that are not white.
Points Inked(const Canvas& canvas) {
    Points inked;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            if ((canvas.Image().pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
                inked.insert({x, y});
            }
        }
    }
    return inked;
}

// A canvas where every pixel differs from its neighbours, to see any change.
Canvas Patterned(int width, int height) {
    Canvas canvas(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            canvas.SetPixel(x, y, RGB(x * 13, y * 7, (x ^ y) * 5));
        }
    }
    return canvas;
}

struct LineCase {
    QPoint from;
    QPoint to;
    Points pixels;
};

TEST(CanvasLine, CoversTheFirstPointAndStopsShortOfTheLast) {
    const LineCase cases[] = {
        {{1, 1}, {5, 1}, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},
        {{5, 1}, {1, 1}, {{5, 1}, {4, 1}, {3, 1}, {2, 1}}},
        {{2, 0}, {2, 3}, {{2, 0}, {2, 1}, {2, 2}}},
        {{2, 3}, {2, 0}, {{2, 3}, {2, 2}, {2, 1}}},
        {{0, 5}, {3, 8}, {{0, 5}, {1, 6}, {2, 7}}},
        {{5, 8}, {9, 4}, {{5, 8}, {6, 7}, {7, 6}, {8, 5}}},
        {{9, 9}, {6, 6}, {{9, 9}, {8, 8}, {7, 7}}},
        // A shallow line steps down once, half way.
        {{0, 0}, {4, 1}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
        {{3, 3}, {3, 3}, {}},
        // Clipped at the edge of the picture.
        {{-2, 0}, {2, 0}, {{0, 0}, {1, 0}}},
    };
    for (const LineCase& line : cases) {
        Canvas canvas = WhiteCanvas(12, 12);
        canvas.SelectPen({kInk});
        canvas.MoveTo(line.from.x(), line.from.y());
        canvas.LineTo(line.to.x(), line.to.y());
        EXPECT_EQ(Inked(canvas), line.pixels) << line.from.x() << "," << line.from.y();
        EXPECT_EQ(canvas.MoveTo(0, 0), line.to) << "the end becomes the current position";
    }
}

TEST(CanvasLine, PolylinesDrawEachCornerOnce) {
    const std::vector<QPoint> tick = {{2, 5}, {5, 8}, {9, 4}};
    Canvas inverted = WhiteCanvas(12, 12);
    inverted.SetROP2(Rop2::Not);
    inverted.MoveTo(7, 7);
    inverted.Polyline(tick);
    // Inverted once each: a corner drawn twice would be white again.
    const Points expected = {{2, 5}, {3, 6}, {4, 7}, {5, 8}, {6, 7}, {7, 6}, {8, 5}};
    EXPECT_EQ(Inked(inverted), expected);
    for (const auto& [x, y] : expected) {
        EXPECT_EQ(inverted.GetPixel(x, y), RGB(0, 0, 0));
    }
    EXPECT_EQ(inverted.MoveTo(0, 0), QPoint(7, 7)) << "Polyline leaves the position alone";

    Canvas continued = WhiteCanvas(12, 12);
    continued.SetROP2(Rop2::Not);
    continued.MoveTo(2, 5);
    continued.PolylineTo(std::span(tick).subspan(1));
    EXPECT_EQ(Inked(continued), expected);
    EXPECT_EQ(continued.MoveTo(0, 0), QPoint(9, 4));
}

TEST(CanvasRectangle, DrawsTheBorderInsideAndFillsWithTheBrush) {
    constexpr COLORREF kFill = RGB(200, 100, 50);
    Canvas canvas = WhiteCanvas(8, 8);
    canvas.SelectPen({kInk});
    canvas.SelectBrush(kFill);
    canvas.Rectangle({1, 2, 5, 7});
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 1 && x < 5 && y >= 2 && y < 7;
            const bool border = inside && (x == 1 || x == 4 || y == 2 || y == 6);
            const COLORREF expected = border ? kInk : inside ? kFill : kWhite;
            EXPECT_EQ(canvas.GetPixel(x, y), expected) << x << "," << y;
        }
    }

    Canvas hollow = WhiteCanvas(8, 8);
    hollow.SelectPen({kInk});
    hollow.SelectBrush(kNullBrush);
    hollow.Rectangle({0, 0, 4, 3});
    EXPECT_EQ(
        Inked(hollow),
        (Points{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {3, 1}, {0, 2}, {1, 2}, {2, 2}, {3, 2}}));

    // One pixel wide: each pixel once, so the inverting mix still shows a line.
    Canvas thin = WhiteCanvas(4, 4);
    thin.SetROP2(Rop2::Not);
    thin.SelectBrush(kNullBrush);
    thin.Rectangle({1, 0, 2, 3});
    EXPECT_EQ(Inked(thin), (Points{{1, 0}, {1, 1}, {1, 2}}));
}

TEST(CanvasMix, TheInvertingMixTwiceRestoresEveryPixel) {
    const Canvas before = Patterned(20, 16);
    Canvas canvas = before;
    canvas.SetROP2(Rop2::Not);
    const std::vector<QPoint> star = {{1, 1}, {18, 14}, {3, 14}, {17, 2}, {10, 15}, {1, 1}};
    const auto draw = [&] {
        canvas.MoveTo(0, 15);
        canvas.LineTo(19, 0);
        canvas.Polyline(star);
        canvas.Rectangle({2, 3, 12, 9});
        canvas.DrawFocusRect({4, 4, 16, 12});
    };
    draw();
    EXPECT_NE(canvas.Image(), before.Image());
    EXPECT_NE(canvas.GetPixel(0, 15), before.GetPixel(0, 15));
    EXPECT_EQ(canvas.GetPixel(0, 15), before.GetPixel(0, 15) ^ 0x00FFFFFF);
    draw();
    EXPECT_EQ(canvas.Image(), before.Image());
}

TEST(CanvasMix, FillsAndSetPixelIgnoreTheMix) {
    Canvas canvas = WhiteCanvas(6, 6);
    canvas.SetROP2(Rop2::Not);
    canvas.FillRect({1, 1, 3, 3}, kInk);
    canvas.SetPixel(5, 5, kInk);
    canvas.FillRgn(QRegion(4, 0, 2, 2), kInk);
    EXPECT_EQ(Inked(canvas),
              (Points{{1, 1}, {2, 1}, {1, 2}, {2, 2}, {5, 5}, {4, 0}, {5, 0}, {4, 1}, {5, 1}}));
    for (const auto& [x, y] : Inked(canvas)) {
        EXPECT_EQ(canvas.GetPixel(x, y), kInk);
    }
}

TEST(CanvasFocusRect, InvertsEveryOtherPixelOfTheRing) {
    const Canvas before = WhiteCanvas(8, 6);
    Canvas canvas = before;
    canvas.DrawFocusRect({1, 1, 7, 5});
    Points expected;
    for (int y = 1; y < 5; ++y) {
        for (int x = 1; x < 7; ++x) {
            const bool ring = x == 1 || x == 6 || y == 1 || y == 4;
            if (ring && (x + y) % 2 == 0) {
                expected.insert({x, y});
            }
        }
    }
    EXPECT_EQ(Inked(canvas), expected);
    canvas.DrawFocusRect({1, 1, 7, 5});
    EXPECT_EQ(canvas.Image(), before.Image());
}

TEST(CanvasRegion, FillsAPolygonRegionWithoutItsRightAndBottomEdges) {
    Canvas canvas = WhiteCanvas(8, 8);
    canvas.FillRgn(QRegion(QPolygon({QPoint(0, 0), QPoint(6, 0), QPoint(6, 4), QPoint(0, 4)})),
                   kInk);
    Points expected;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            expected.insert({x, y});
        }
    }
    EXPECT_EQ(Inked(canvas), expected);
}

TEST(CanvasCopy, BitBltCopiesTheClippedBlock) {
    const Canvas source = Patterned(5, 5);
    Canvas target = WhiteCanvas(6, 6);
    target.BitBlt(3, 4, 5, 5, source, 1, 2);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool copied = x >= 3 && y >= 4 && x - 2 < 5 && y - 2 < 5;
            EXPECT_EQ(target.GetPixel(x, y), copied ? source.GetPixel(x - 2, y - 2) : kWhite)
                << x << "," << y;
        }
    }
}

TEST(CanvasOrigin, LogicalCoordinatesAreShiftedByTheWindowOrigin) {
    Canvas canvas = WhiteCanvas(10, 10);
    canvas.SetWindowOrg({100, 200});
    canvas.SelectPen({kInk});
    canvas.MoveTo(101, 202);
    canvas.LineTo(104, 202);
    canvas.SetPixel(109, 209, kInk);
    EXPECT_EQ(Inked(canvas), (Points{{1, 2}, {2, 2}, {3, 2}, {9, 9}}));
    EXPECT_EQ(canvas.GetPixel(101, 202), kInk);
    EXPECT_EQ(canvas.GetPixel(0, 0), CLR_INVALID);
}

TEST(CanvasTouched, MeasuresDrawingsEvenWithoutPixels) {
    Canvas measure;
    EXPECT_TRUE(measure.TakeTouched().IsEmpty());
    measure.MoveTo(-30, 5);
    measure.LineTo(40, -7);
    measure.Rectangle({0, 0, 50, 10});
    EXPECT_EQ(measure.TakeTouched(), (Rect{-30, -7, 50, 10}));
    EXPECT_TRUE(measure.TakeTouched().IsEmpty()) << "taking the bounds resets them";
}

TEST(CanvasIcon, DrawsThroughTransparency) {
    QImage icon(2, 1, QImage::Format_ARGB32);
    icon.setPixel(0, 0, qRgba(0, 0, 0, 0));
    icon.setPixel(1, 0, qRgba(255, 0, 0, 255));
    Canvas canvas = WhiteCanvas(4, 2);
    canvas.DrawIcon(1, 1, icon);
    EXPECT_EQ(canvas.GetPixel(1, 1), kWhite);
    EXPECT_EQ(canvas.GetPixel(2, 1), RGB(255, 0, 0));
}

}  // namespace
