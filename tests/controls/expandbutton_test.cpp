#include "controls/expandbutton.h"

#include <chrono>
#include <string>
#include <vector>

#include <QTest>

#include <gtest/gtest.h>

#include "tests/support/guitest.h"

namespace {

using guitest::Legend;
using Grid = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr int kWidth = 22;
constexpr int kHeight = 15;  // the arrows start at row 2

// Every picture lies in columns 0...10 (B - 10 ... B) and rows 2...12.
const Grid kRight = {
    "...K.......", "...KK......", "...KLK.....", "...KLFK....", "...KLFFK...", "...KLFFMK..",
    "...KLFMKS..", "...KLMKS...", "...KFKS....", "...KKS.....", "...KS......",
};
const Grid kDown = {
    "...........", "...........", "...........", "KKKKKKKKKKK", ".KLLLLLLFKS", "..KFFFFMKS.",
    "...KFFMKS..", "....KMKS...", ".....KS....", "...........", "...........",
};
const Grid kTurning = {
    ".......K...", "......KKS..", ".....KLKS..", "....KLMKS..", "...KLFMKS..", "..KLFFMKS..",
    ".KLFMMMKS..", "KKKKKKKKS..", ".SSSSSSSS..", "...........", "...........",
};

std::vector<Legend> LegendFor(COLORREF face) {
    return {{'.', guitest::kFace},
            {'K', guitest::kWindowFrame},
            {'S', guitest::kShadow},
            {'F', face},
            {'L', CShadeButton::LightenColor(face, 51)},
            {'M', CShadeButton::DarkenColor(face, 51)}};
}

Grid ArrowOf(const QImage& image, COLORREF face) {
    return guitest::Letters(image, 0, 2, 11, 11, LegendFor(face));
}

// Keeps every picture the button draws, with the time it was drawn.
class RecordingExpandButton : public CExpandButton {
public:
    using CExpandButton::CExpandButton;

    struct Frame {
        QImage picture;
        Clock::time_point at;
    };
    std::vector<Frame> frames;

    void DrawItem(const DrawItemStruct& item) override {
        CExpandButton::DrawItem(item);
        frames.push_back({item.dc->Image().copy(), Clock::now()});
    }
};

// The index of the first picture with the turning arrow; -1 when there is none.
int TurningFrame(const RecordingExpandButton& button) {
    for (std::size_t i = 0; i < button.frames.size(); ++i) {
        if (ArrowOf(button.frames[i].picture, kYellow) == kTurning) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

QImage Drawn(CExpandButton& button, unsigned state) {
    Canvas canvas(kWidth, kHeight);
    button.DrawItem({&canvas, {0, 0, kWidth, kHeight}, state});
    return canvas.Image();
}

class ExpandButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.setPalette(guitest::TestPalette());
        window.resize(120, 60);
        button.setGeometry(6, 20, kWidth - 12, kHeight);
        button.PreSubclassWindow();
        button.SetFaceColor(kYellow);
        QObject::connect(&button, &QAbstractButton::clicked,
                         [this] { seenExpanded.push_back(button.IsExpanded()); });
        ASSERT_TRUE(guitest::ShowActive(window));
        button.frames.clear();
    }

    QPoint Inside() const { return button.geometry().center(); }
    QPoint Outside() const { return button.geometry().bottomRight() + QPoint(30, 10); }
    QWindow* Window() { return window.windowHandle(); }

    QWidget window;
    RecordingExpandButton button{&window};
    std::vector<int> seenExpanded;  // IsExpanded as the dialog's handler saw it
};

TEST_F(ExpandButtonTest, IsWidenedByTwelvePixels) {
    EXPECT_EQ(button.geometry(), QRect(6, 20, kWidth, kHeight));
}

TEST_F(ExpandButtonTest, YellowFaceGivesItsLightAndMidShades) {
    EXPECT_EQ(CShadeButton::LightenColor(kYellow, 51), RGB(255, 255, 51));
    EXPECT_EQ(CShadeButton::DarkenColor(kYellow, 51), RGB(204, 204, 0));
    EXPECT_EQ(CShadeButton::DarkenColor(RGB(30, 200, 60), 51), RGB(0, 149, 9));
}

TEST_F(ExpandButtonTest, DrawsTheThreeArrowsPixelForPixel) {
    EXPECT_EQ(ArrowOf(Drawn(button, 0), kYellow), kRight);
    // Held down: the same arrow in the shades of a darker face.
    EXPECT_EQ(ArrowOf(Drawn(button, ODS_SELECTED), RGB(204, 204, 0)), kRight);
    EXPECT_EQ(ArrowOf(Drawn(button, 0), kYellow), kRight) << "the face is put back";

    QTest::mouseClick(Window(), Qt::LeftButton, {}, Inside());
    const int turning = TurningFrame(button);
    ASSERT_GE(turning, 0);
    ASSERT_LT(turning + 1, static_cast<int>(button.frames.size()));
    const QImage picture = button.frames[static_cast<std::size_t>(turning) + 1].picture;
    EXPECT_EQ(ArrowOf(picture, kYellow), kDown);
    EXPECT_EQ(ArrowOf(Drawn(button, ODS_SELECTED), RGB(204, 204, 0)), kDown);
    // Outside the arrow's box everything is the system's button face, not the yellow face.
    for (int x = 11; x < kWidth; ++x) {
        EXPECT_EQ(guitest::ColorAt(picture, x, 7), guitest::kFace);
    }
}

// The focus shows as a dotted frame on the button's edge, every other pixel inverted, when
// the keyboard brought it; the arrow inside stays as it is.
TEST_F(ExpandButtonTest, TheFocusShowsAsADottedFrame) {
    const COLORREF inverted = RGB(255 - 212, 255 - 208, 255 - 200);  // of the test's face
    const QImage focused = Drawn(button, ODS_FOCUS);
    const QImage plain = Drawn(button, 0);
    struct Dot {
        QPoint at;
        QPoint gap;  // its neighbour on the frame
    };
    const Dot dots[] = {{{12, 0}, {13, 0}}, {{21, 1}, {21, 2}}, {{16, 14}, {17, 14}}};
    for (const Dot& dot : dots) {
        EXPECT_EQ(guitest::ColorAt(focused, dot.at.x(), dot.at.y()), inverted) << dot.at.x();
        EXPECT_EQ(guitest::ColorAt(plain, dot.at.x(), dot.at.y()), guitest::kFace);
        EXPECT_EQ(guitest::ColorAt(focused, dot.gap.x(), dot.gap.y()), guitest::kFace);
    }
    EXPECT_EQ(guitest::Letters(focused, 3, 2, 7, 11, LegendFor(kYellow)),
              guitest::Letters(plain, 3, 2, 7, 11, LegendFor(kYellow)));
    EXPECT_EQ(Drawn(button, ODS_FOCUS | ODS_NOFOCUSRECT), plain) << "focused by a click";
}

TEST_F(ExpandButtonTest, TheClickIsReportedBeforeTheStateTurns) {
    QTest::mouseClick(Window(), Qt::LeftButton, {}, Inside());
    QTest::mouseClick(Window(), Qt::LeftButton, {}, Inside());
    QTest::mouseClick(Window(), Qt::LeftButton, {}, Inside());
    EXPECT_EQ(seenExpanded, (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(button.IsExpanded(), 1);
}

TEST_F(ExpandButtonTest, TheTurningArrowStaysFiftyMilliseconds) {
    QTest::mouseClick(Window(), Qt::LeftButton, {}, Inside());
    const int turning = TurningFrame(button);
    ASSERT_GE(turning, 0);
    ASSERT_LT(turning + 1, static_cast<int>(button.frames.size()));
    const auto shown = button.frames[static_cast<std::size_t>(turning) + 1].at -
                       button.frames[static_cast<std::size_t>(turning)].at;
    EXPECT_GE(shown, std::chrono::milliseconds(50));
}

TEST_F(ExpandButtonTest, OnlyACompletedClickTurnsIt) {
    QTest::mousePress(Window(), Qt::LeftButton, {}, Inside());
    QTest::mouseMove(Window(), Outside());
    QTest::mouseRelease(Window(), Qt::LeftButton, {}, Outside());
    EXPECT_TRUE(seenExpanded.empty());
    EXPECT_EQ(button.IsExpanded(), 0);

    // A release arriving without a press on the button first.
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button.IsExpanded(), 0);
    EXPECT_EQ(TurningFrame(button), -1);
}

TEST_F(ExpandButtonTest, ADoubleClickTurnsItTwice) {
    QTest::mouseDClick(Window(), Qt::LeftButton, {}, Inside());
    EXPECT_EQ(seenExpanded, (std::vector<int>{0, 1}));
    EXPECT_EQ(button.IsExpanded(), 0);
    int turning = 0;
    for (const auto& frame : button.frames) {
        turning += ArrowOf(frame.picture, kYellow) == kTurning;
    }
    EXPECT_EQ(turning, 2);
}

TEST_F(ExpandButtonTest, TheSpaceBarTurnsItLikeAClick) {
    button.setFocus();
    QTest::keyClick(&button, Qt::Key_Space);
    QTest::keyClick(&button, Qt::Key_Space);
    EXPECT_EQ(seenExpanded, (std::vector<int>{0, 1}));
    EXPECT_EQ(button.IsExpanded(), 0);
}

}  // namespace
