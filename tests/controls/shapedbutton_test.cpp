#include "controls/shapedbutton.h"

#include <optional>
#include <string>
#include <vector>

#include <QPixmap>
#include <QPolygon>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/support/guitest.h"

namespace {

using guitest::Legend;
using Grid = std::vector<std::string>;

constexpr COLORREF kNormal = RGB(200, 0, 0);
constexpr COLORREF kPressed = RGB(0, 200, 0);
constexpr COLORREF kHover = RGB(0, 0, 200);
constexpr COLORREF kDisabled = RGB(100, 100, 100);
constexpr COLORREF kMarker = RGB(255, 0, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);

QImage Drawn(CShapedButton& button, unsigned state) {
    Canvas canvas(button.width(), button.height());
    canvas.FillRect({0, 0, button.width(), button.height()}, kMarker);
    button.DrawItem({&canvas, {0, 0, button.width(), button.height()}, state});
    return canvas.Image();
}

class ShapedButtonDrawing : public ::testing::Test {
protected:
    void SetUp() override { parent.setPalette(guitest::TestPalette()); }

    void Create(CShapedButton& button, const QRegion& region) {
        ASSERT_TRUE(button.CreateShaped("", WS_CHILD | WS_VISIBLE, 3, 4, region, &parent, 7, 1,
                                        kNormal, kPressed, kHover, kDisabled));
    }

    QWidget parent;
};

TEST_F(ShapedButtonDrawing, TheEdgeIsRaisedAndSunkenAroundEachFace) {
    CShapedButton button;
    Create(button, QRegion(20, 30, 6, 4));
    EXPECT_EQ(button.geometry(), QRect(3, 4, 6, 4));
    EXPECT_EQ(button.GetDlgCtrlID(), 7);
    const std::vector<Legend> legend = {{'H', guitest::kHighlight},
                                        {'D', guitest::kDarkShadow},
                                        {'n', kNormal},
                                        {'p', kPressed},
                                        {'x', kDisabled},
                                        {'?', kMarker}};
    const struct {
        unsigned state;
        Grid grid;
    } cases[] = {
        {0, {"HHHHHD", "HnnnnD", "HnnnnD", "DDDDDD"}},
        {ODS_SELECTED, {"DDDDDH", "DppppH", "DppppH", "HHHHHH"}},
        {ODS_DISABLED, {"HHHHHD", "HxxxxD", "HxxxxD", "DDDDDD"}},
        {ODS_DISABLED | ODS_SELECTED, {"HHHHHD", "HxxxxD", "HxxxxD", "DDDDDD"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(guitest::Letters(Drawn(button, c.state), 0, 0, 6, 4, legend), c.grid) << c.state;
    }
}

TEST_F(ShapedButtonDrawing, TheEdgeFollowsAPolygonAndNothingIsDrawnOutsideIt) {
    // The Open button's outline: a rectangle with its bottom-right corner cut off.
    const QRegion shape(
        QPolygon({QPoint(0, 0), QPoint(30, 0), QPoint(30, 8), QPoint(20, 18), QPoint(0, 18)}));
    CShapedButton button;
    Create(button, shape);
    for (const unsigned state : {0U, unsigned{ODS_SELECTED}}) {
        const QImage picture = Drawn(button, state);
        const bool pressed = state == ODS_SELECTED;
        for (int y = 0; y < button.height(); ++y) {
            for (int x = 0; x < button.width(); ++x) {
                const auto in = [&](int px, int py) { return shape.contains(QPoint(px, py)); };
                COLORREF expected = pressed ? kPressed : kNormal;
                if (!in(x, y)) {
                    expected = kMarker;
                } else if (!in(x + 1, y + 1)) {
                    expected = pressed ? guitest::kHighlight : guitest::kDarkShadow;
                } else if (!in(x - 1, y - 1)) {
                    expected = pressed ? guitest::kDarkShadow : guitest::kHighlight;
                }
                ASSERT_EQ(guitest::ColorAt(picture, x, y), expected) << x << "," << y;
            }
        }
    }
}

TEST_F(ShapedButtonDrawing, TheIconSitsInTheMiddleAndMovesWhenPressed) {
    CShapedButton button;
    Create(button, QRegion(0, 0, 40, 38));
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    icon.setPixel(0, 0, qRgb(0, 0, 255));
    button.SetIcon(QIcon(QPixmap::fromImage(icon)));
    const QImage normal = Drawn(button, 0);
    EXPECT_EQ(guitest::ColorAt(normal, 4, 3), RGB(0, 0, 255));
    EXPECT_EQ(guitest::ColorAt(normal, 5, 4), kNormal);
    const QImage pressed = Drawn(button, ODS_SELECTED);
    EXPECT_EQ(guitest::ColorAt(pressed, 5, 4), RGB(0, 0, 255));
    EXPECT_EQ(guitest::ColorAt(pressed, 4, 3), kPressed);
}

TEST_F(ShapedButtonDrawing, TextIsEngravedWhenDisabled) {
    QFont font("AR PL UMing CN", 9);
    font.setStyleStrategy(QFont::NoAntialias);
    parent.setFont(font);
    CShapedButton button;
    ASSERT_TRUE(button.CreateShaped("Open", WS_CHILD | WS_VISIBLE, 0, 0, QRegion(0, 0, 50, 24),
                                    &parent, 1025, 1, kNormal, kPressed, kHover, kDisabled));
    const auto count = [](const QImage& image, COLORREF color) {
        int n = 0;
        for (int y = 2; y < image.height() - 2; ++y) {
            for (int x = 2; x < image.width() - 2; ++x) {
                n += guitest::ColorAt(image, x, y) == color;
            }
        }
        return n;
    };
    const QImage enabled = Drawn(button, 0);
    EXPECT_GT(count(enabled, guitest::kButtonText), 20);
    EXPECT_EQ(count(enabled, guitest::kShadow), 0);
    const QImage disabled = Drawn(button, ODS_DISABLED);
    EXPECT_EQ(count(disabled, guitest::kButtonText), 0);
    EXPECT_EQ(count(disabled, guitest::kShadow), count(enabled, guitest::kButtonText));
    EXPECT_GT(count(disabled, guitest::kHighlight), 0);
}

// The two shaped buttons of the dialog: the Open button with its bottom-right corner cut
// off, and the triangle filling the corner.
class ShapedButtonPair : public ::testing::Test {
protected:
    static constexpr int kW = 46;
    static constexpr int kH = 24;
    static constexpr int kHalf = kH / 2;
    static constexpr int kK = kW - kHalf;
    static constexpr QPoint kR{10, 10};

    void SetUp() override {
        window.setPalette(guitest::TestPalette());
        window.resize(100, 60);
        const COLORREF face = guitest::kFace;
        ASSERT_TRUE(
            open.CreateShaped("Open", WS_CHILD | WS_VISIBLE | BS_ICON, kR.x(), kR.y(),
                              QRegion(QPolygon({QPoint(0, 0), QPoint(kW, 0), QPoint(kW, kHalf - 2),
                                                QPoint(kK - 2, kH), QPoint(0, kH)})),
                              &window, 1025, 1, face, face, face, face));
        ASSERT_TRUE(recent.CreateShaped(
            "", WS_CHILD | WS_VISIBLE, kR.x() + kK + 1, kR.y() + kH - kHalf + 1,
            QRegion(QPolygon({QPoint(kW, kHalf), QPoint(kW, kH), QPoint(kK, kH)})), &window, 1026,
            1, RGB(247, 251, 255), kGreen, kGreen, face));
        QObject::connect(&open, &QAbstractButton::clicked, [this] { ++openClicks; });
        QObject::connect(&recent, &QAbstractButton::clicked, [this] { ++recentClicks; });
        ASSERT_TRUE(guitest::ShowActive(window));
        corner = CornerPoint();
        ASSERT_TRUE(corner.has_value());
    }

    static bool InShape(const CShapedButton& button, QPoint point) {
        return button.geometry().contains(point) && button.mask().contains(point - button.pos());
    }

    // A point of the Open button's box outside its shape and inside the triangle.
    std::optional<QPoint> CornerPoint() const {
        for (int y = open.geometry().bottom(); y > open.y(); --y) {
            for (int x = open.geometry().right(); x > open.x(); --x) {
                const QPoint point(x - 2, y - 2);
                if (open.geometry().contains(point) && !InShape(open, point) &&
                    InShape(recent, point)) {
                    return point;
                }
            }
        }
        return std::nullopt;
    }

    QPoint Middle() const { return kR + QPoint(12, 10); }
    QPoint Away() const { return QPoint(90, 55); }
    QWindow* Window() { return window.windowHandle(); }
    static COLORREF Look(CShapedButton& button, QPoint at) {
        return guitest::ColorAt(button.grab().toImage(), at.x(), at.y());
    }

    QWidget window;
    CShapedButton open;
    CShapedButton recent;
    int openClicks = 0;
    int recentClicks = 0;
    std::optional<QPoint> corner;
};

TEST_F(ShapedButtonPair, AClickInTheCutOffCornerGoesToTheWindowBeneath) {
    QTest::mouseClick(Window(), Qt::LeftButton, {}, Middle());
    EXPECT_EQ(openClicks, 1);
    EXPECT_EQ(recentClicks, 0);
    QTest::mouseClick(Window(), Qt::LeftButton, {}, *corner);
    EXPECT_EQ(openClicks, 1);
    EXPECT_EQ(recentClicks, 1);
}

TEST_F(ShapedButtonPair, HoverEndsAsThePointerLeavesTheShape) {
    QTest::mouseMove(Window(), Middle());
    EXPECT_TRUE(open.IsHover());
    QTest::mouseMove(Window(), *corner);
    EXPECT_FALSE(open.IsHover());
    EXPECT_TRUE(recent.IsHover());
    QTest::mouseMove(Window(), Middle());
    EXPECT_TRUE(open.IsHover());
    EXPECT_FALSE(recent.IsHover());
    QTest::mouseMove(Window(), Away());
    EXPECT_FALSE(open.IsHover());
}

// A run disables the recent-folders button under the pointer; a disabled button hears
// nothing of the pointer leaving, so it must not come back in its hover colour.
TEST_F(ShapedButtonPair, ADisabledButtonLosesItsHover) {
    const QPoint inRecent = *corner - recent.pos();
    QTest::mouseMove(Window(), *corner);
    ASSERT_TRUE(recent.IsHover());
    recent.setEnabled(false);
    recent.setEnabled(true);
    EXPECT_FALSE(recent.IsHover());
    EXPECT_EQ(Look(recent, inRecent), RGB(247, 251, 255));
}

TEST_F(ShapedButtonPair, OnlyTheRecentButtonChangesColourOnHover) {
    const QPoint inOpen = Middle() - open.pos();
    const QPoint inRecent = *corner - recent.pos();
    EXPECT_EQ(Look(open, inOpen), guitest::kFace);
    EXPECT_EQ(Look(recent, inRecent), RGB(247, 251, 255));
    QTest::mouseMove(Window(), Middle());
    EXPECT_EQ(Look(open, inOpen), guitest::kFace);
    QTest::mouseMove(Window(), *corner);
    EXPECT_EQ(Look(recent, inRecent), kGreen);
    QTest::mousePress(Window(), Qt::LeftButton, {}, *corner);
    EXPECT_EQ(Look(recent, inRecent), kGreen);
    QTest::mouseRelease(Window(), Qt::LeftButton, {}, *corner);
}

TEST_F(ShapedButtonPair, ADoubleClickIsTwoClicks) {
    QTest::mouseDClick(Window(), Qt::LeftButton, {}, Middle());
    EXPECT_EQ(openClicks, 2);
}

TEST_F(ShapedButtonPair, ReleasingOutsideTheShapeIsNoClick) {
    QTest::mousePress(Window(), Qt::LeftButton, {}, Middle());
    EXPECT_TRUE(open.isDown());
    QTest::mouseMove(Window(), *corner);
    QTest::mouseRelease(Window(), Qt::LeftButton, {}, *corner);
    EXPECT_EQ(openClicks, 0);
    EXPECT_EQ(recentClicks, 0);
    EXPECT_FALSE(open.isDown());
    EXPECT_FALSE(open.IsHover()) << "the normal look";
}

TEST_F(ShapedButtonPair, ADisabledButtonTakesNoClick) {
    open.setEnabled(false);
    QTest::mouseClick(Window(), Qt::LeftButton, {}, Middle());
    EXPECT_EQ(openClicks, 0);
}

TEST_F(ShapedButtonPair, PicturesAreDrawnAgainOnlyAfterSetIcon) {
    const QPoint topEdge(10, 0);
    EXPECT_EQ(Look(open, topEdge), guitest::kHighlight);
    QPalette changed = guitest::TestPalette();
    changed.setColor(QPalette::Light, QColor(200, 200, 255));
    window.setPalette(changed);
    EXPECT_EQ(Look(open, topEdge), guitest::kHighlight);
    open.SetIcon(QIcon());
    EXPECT_EQ(Look(open, topEdge), RGB(200, 200, 255));
}

}  // namespace
