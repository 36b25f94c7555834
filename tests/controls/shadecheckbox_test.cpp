#include "controls/shadecheckbox.h"

#include <functional>
#include <string>
#include <vector>

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/support/guitest.h"

namespace {

using guitest::Legend;

constexpr COLORREF kBorder = RGB(61, 73, 123);
constexpr COLORREF kInside = RGB(247, 251, 255);
constexpr int kWidth = 130;
constexpr int kHeight = 16;  // the indicator's top row is 1

const std::vector<Legend> kLegend = {
    {'B', kBorder}, {'w', kInside}, {'d', guitest::kDarkShadow}, {'f', guitest::kFace}};

using Grid = std::vector<std::string>;

const Grid kEmpty = {
    "BBBBBBBBBBBBff", "BwwwwwwwwwwBff", "BwwwwwwwwwwBff", "BwwwwwwwwwwBff",
    "BwwwwwwwwwwBff", "BwwwwwwwwwwBff", "BwwwwwwwwwwBff", "BwwwwwwwwwwBff",
    "BwwwwwwwwwwBff", "BwwwwwwwwwwBff", "BwwwwwwwwwwBff", "BBBBBBBBBBBBff",
};
const Grid kEmptyDisabled = {
    "BwBwBwBwBwBwff", "wwwwwwwwwwwBff", "Bwwwwwwwwwwwff", "wwwwwwwwwwwBff",
    "Bwwwwwwwwwwwff", "wwwwwwwwwwwBff", "Bwwwwwwwwwwwff", "wwwwwwwwwwwBff",
    "Bwwwwwwwwwwwff", "wwwwwwwwwwwBff", "Bwwwwwwwwwwwff", "wBwBwBwBwBwBff",
};
// The long stroke runs one column past the border.
const Grid kTicked = {
    "BBBBBBBBBBBBff", "Bwwwwwwwwwwddf", "Bwwwwwwwwwddff", "BwwwwwwwwddBff",
    "BwwwwwwwddwBff", "BwddwwwddwwBff", "BwwddwddwwwBff", "BwwwdddwwwwBff",
    "BwwwwdwwwwwBff", "BwwwwwwwwwwBff", "BwwwwwwwwwwBff", "BBBBBBBBBBBBff",
};
const Grid kTickedDisabled = {
    "BwBwBwBwBwBwff", "wwwwwwwwwwwdff", "Bwwwwwwwwwdwff", "wwwwwwwwwdwBff",
    "Bwwwwwwwdwwwff", "wwwdwwwdwwwBff", "Bwwwdwdwwwwwff", "wwwwwdwwwwwBff",
    "Bwwwwwwwwwwwff", "wwwwwwwwwwwBff", "Bwwwwwwwwwwwff", "wBwBwBwBwBwBff",
};
const Grid kDash = {
    "BBBBBBBBBBBBff", "BwwwwwwwwwwBff", "BwwwwwwwwwwBff", "BwwwwwwwwwwBff",
    "BwwwwwwwwwwBff", "BwwddddddwwBff", "BwwddddddwwBff", "BwwwwwwwwwwBff",
    "BwwwwwwwwwwBff", "BwwwwwwwwwwBff", "BwwwwwwwwwwBff", "BBBBBBBBBBBBff",
};
const Grid kDashDisabled = {
    "BwBwBwBwBwBwff", "wwwwwwwwwwwBff", "Bwwwwwwwwwwwff", "wwwwwwwwwwwBff",
    "Bwwwwwwwwwwwff", "wwwddddddwwBff", "Bwwddddddwwwff", "wwwwwwwwwwwBff",
    "Bwwwwwwwwwwwff", "wwwwwwwwwwwBff", "Bwwwwwwwwwwwff", "wBwBwBwBwBwBff",
};

QFont AliasedFont() {
    QFont font("AR PL UMing CN", 9);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

QImage Drawn(CShadeCheckBox& box, unsigned state) {
    Canvas canvas(kWidth, kHeight);
    box.DrawItem({&canvas, {0, 0, kWidth, kHeight}, state});
    return canvas.Image();
}

class ShadeCheckBoxTest : public ::testing::Test {
public:
    void SetUp() override {
        window.setPalette(guitest::TestPalette());
        window.resize(200, 60);
        box.setText("查找所有子目录(&P)");
        box.setFont(AliasedFont());
        box.setGeometry(10, 10, kWidth, kHeight);
        other.setGeometry(10, 35, 60, 20);
        QObject::connect(&box, &QAbstractButton::clicked, [this] {
            // The dialog's handler: it reads the new state and sets it back.
            seen.push_back(box.GetCheck());
            box.SetCheck(box.GetCheck());
        });
        ASSERT_TRUE(guitest::ShowActive(window));
    }

    QPoint Inside() const { return box.geometry().center(); }
    QPoint Outside() const { return box.geometry().bottomRight() + QPoint(20, 20); }

    QWidget window;
    CShadeCheckBox box{&window};
    QPushButton other{"other", &window};
    std::vector<int> seen;  // the check state the dialog saw at each click
};

TEST_F(ShadeCheckBoxTest, DrawsTheIndicatorOfEachState) {
    const struct {
        int check;
        unsigned state;
        const Grid& grid;
    } cases[] = {
        {0, 0, kEmpty},         {0, ODS_DISABLED, kEmptyDisabled},
        {1, 0, kTicked},        {1, ODS_DISABLED, kTickedDisabled},
        {2, 0, kDash},          {2, ODS_DISABLED, kDashDisabled},
        {3, 0, kEmpty},         {3, ODS_DISABLED, kEmptyDisabled},
        {7, ODS_FOCUS, kEmpty},
    };
    for (const auto& c : cases) {
        box.SetCheck(c.check);
        const Rect indicator = CShadeButton::IndicatorRect(kHeight);
        EXPECT_EQ(
            guitest::Letters(Drawn(box, c.state), indicator.left, indicator.top, 14, 12, kLegend),
            c.grid)
            << "check " << c.check << " state " << c.state;
    }
}

TEST_F(ShadeCheckBoxTest, TheCaptionIsShadowedWhenDisabledAndFramedWhenFocused) {
    const QSize extent = Canvas::GetTextExtent(box.text(), box.font());
    const int top = ((kHeight - extent.height()) >> 1) - 1;
    const auto count = [](const QImage& image, COLORREF color) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 14; x < image.width(); ++x) {
                n += guitest::ColorAt(image, x, y) == color;
            }
        }
        return n;
    };
    const QImage enabled = Drawn(box, 0);
    const QImage disabled = Drawn(box, ODS_DISABLED);
    EXPECT_GT(count(enabled, RGB(0, 0, 0)), 50);
    EXPECT_EQ(count(enabled, guitest::kShadow), 0);
    EXPECT_EQ(count(disabled, RGB(0, 0, 0)), 0);
    EXPECT_EQ(count(disabled, guitest::kShadow), count(enabled, RGB(0, 0, 0)));

    // The focus frame: every other pixel of the text rectangle grown by 1, 1, 1 and 2,
    // clipped to the control.
    const QImage focused = Drawn(box, ODS_FOCUS);
    const Rect frame{16, std::max(top - 1, 0), 17 + extent.width() + 1,
                     std::min(top + extent.height() + 2, kHeight)};
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool ring = frame.Contains(x, y) && (x == frame.left || x == frame.right - 1 ||
                                                       y == frame.top || y == frame.bottom - 1);
            const bool inverted =
                guitest::ColorAt(focused, x, y) != guitest::ColorAt(enabled, x, y);
            EXPECT_EQ(inverted, ring && (x + y) % 2 == 0) << x << "," << y;
        }
    }
}

TEST_F(ShadeCheckBoxTest, NewSystemColoursShowAtTheNextPaint) {
    EXPECT_EQ(guitest::ColorAt(Drawn(box, 0), kWidth - 1, 0), guitest::kFace);
    window.setPalette(guitest::TestPalette(RGB(10, 120, 30)));
    EXPECT_EQ(guitest::ColorAt(Drawn(box, 0), kWidth - 1, 0), RGB(10, 120, 30));
}

// Collects the areas painted.
class PaintRecorder : public QObject {
public:
    std::vector<QRect> painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted.push_back(static_cast<QPaintEvent*>(event)->rect());
        }
        return false;
    }
};

TEST_F(ShadeCheckBoxTest, SetCheckRepaintsOnlyTheIndicatorAndOnlyOnAChange) {
    PaintRecorder recorder;
    QCoreApplication::processEvents();
    box.installEventFilter(&recorder);
    box.SetCheck(0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(recorder.painted.empty());
    box.SetCheck(2);
    QCoreApplication::processEvents();
    const Rect r = CShadeButton::IndicatorRect(kHeight);
    EXPECT_EQ(recorder.painted, std::vector<QRect>{QRect(r.left, r.top, 14, 12)});
    box.removeEventFilter(&recorder);
}

struct Interaction {
    std::string name;
    int start;
    std::function<void(ShadeCheckBoxTest&, QWindow*)> act;
    int end;
    std::vector<int> seen;
};

TEST_F(ShadeCheckBoxTest, MouseAndSpaceBarClicks) {
    const auto press = [](ShadeCheckBoxTest& t, QWindow* w) {
        QTest::mousePress(w, Qt::LeftButton, {}, t.Inside());
    };
    const Interaction cases[] = {
        {"click",
         0,
         [](ShadeCheckBoxTest& t, QWindow* w) {
             QTest::mouseClick(w, Qt::LeftButton, {}, t.Inside());
         },
         1,
         {1}},
        {"click checked",
         1,
         [](ShadeCheckBoxTest& t, QWindow* w) {
             QTest::mouseClick(w, Qt::LeftButton, {}, t.Inside());
         },
         0,
         {0}},
        {"click indeterminate",
         2,
         [](ShadeCheckBoxTest& t, QWindow* w) {
             QTest::mouseClick(w, Qt::LeftButton, {}, t.Inside());
         },
         0,
         {0}},
        {"click out of range",
         5,
         [](ShadeCheckBoxTest& t, QWindow* w) {
             QTest::mouseClick(w, Qt::LeftButton, {}, t.Inside());
         },
         0,
         {0}},
        {"double click",
         0,
         [](ShadeCheckBoxTest& t, QWindow* w) {
             QTest::mouseDClick(w, Qt::LeftButton, {}, t.Inside());
         },
         0,
         {1, 0}},
        {"released outside",
         0,
         [press](ShadeCheckBoxTest& t, QWindow* w) {
             press(t, w);
             QTest::mouseMove(w, t.Outside());
             EXPECT_FALSE(t.box.IsPressed());
             QTest::mouseRelease(w, Qt::LeftButton, {}, t.Outside());
         },
         0,
         {}},
        {"out and back in",
         0,
         [press](ShadeCheckBoxTest& t, QWindow* w) {
             press(t, w);
             QTest::mouseMove(w, t.Outside());
             QTest::mouseMove(w, t.Inside());
             EXPECT_TRUE(t.box.IsPressed());
             QTest::mouseRelease(w, Qt::LeftButton, {}, t.Inside());
         },
         1,
         {1}},
        {"right button",
         0,
         [](ShadeCheckBoxTest& t, QWindow* w) {
             QTest::mouseClick(w, Qt::RightButton, {}, t.Inside());
         },
         0,
         {}},
        {"space",
         0,
         [](ShadeCheckBoxTest& t, QWindow*) {
             t.box.setFocus();
             QTest::keyPress(&t.box, Qt::Key_Space);
             EXPECT_TRUE(t.box.IsPressed());
             QTest::keyRelease(&t.box, Qt::Key_Space);
         },
         1,
         {1}},
        {"held space",
         1,
         [](ShadeCheckBoxTest& t, QWindow*) {
             t.box.setFocus();
             QTest::keyPress(&t.box, Qt::Key_Space);
             QKeyEvent repeatUp(QEvent::KeyRelease, Qt::Key_Space, {}, " ", true);
             QKeyEvent repeatDown(QEvent::KeyPress, Qt::Key_Space, {}, " ", true);
             QCoreApplication::sendEvent(&t.box, &repeatUp);
             QCoreApplication::sendEvent(&t.box, &repeatDown);
             QTest::keyRelease(&t.box, Qt::Key_Space);
         },
         0,
         {0}},
        {"space went down elsewhere",
         0,
         [](ShadeCheckBoxTest& t, QWindow*) {
             t.other.setFocus();
             QTest::keyPress(&t.other, Qt::Key_Space);
             t.box.setFocus();
             QTest::keyRelease(&t.box, Qt::Key_Space);
         },
         1,
         {1}},
        {"mnemonic",
         0,
         [](ShadeCheckBoxTest& t, QWindow* w) {
             t.other.setFocus();
             QTest::keyClick(w, Qt::Key_P, Qt::AltModifier);
             EXPECT_TRUE(t.box.hasFocus());
         },
         1,
         {1}},
    };
    for (const Interaction& c : cases) {
        box.SetCheck(c.start);
        seen.clear();
        c.act(*this, window.windowHandle());
        EXPECT_EQ(box.GetCheck(), c.end) << c.name;
        EXPECT_EQ(seen, c.seen) << c.name;
        EXPECT_FALSE(box.IsPressed()) << c.name;
    }
}

TEST_F(ShadeCheckBoxTest, APressTakesTheFocus) {
    other.setFocus();
    QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, Inside());
    EXPECT_TRUE(box.hasFocus());
    EXPECT_TRUE(box.IsPressed());
    QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, Inside());
}

}  // namespace
