#include "controls/transitionstatic.h"

#include <chrono>

#include <QPainter>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "controls/kernelfilters.h"
#include "resources/appicons.h"
#include "tests/support/guitest.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr COLORREF kRed = RGB(255, 0, 0);

// The loaded picture: icon 128 over the button face.
QImage Source() {
    QImage picture(32, 32, QImage::Format_RGB32);
    picture.fill(guitest::ToQColor(guitest::kFace));
    QPainter(&picture).drawImage(0, 0, resources::LoadAppIconImage(128, 32));
    return picture;
}

QImage Mirrored(bool horizontal, bool vertical) {
    return Source().mirrored(horizontal, vertical);
}

class TransitionStaticTest : public ::testing::Test {
protected:
    void SetUp() override {
        CTransitionStatic::s_nAngle = 0;
        picture.setPalette(guitest::TestPalette());
        picture.resize(48, 48);
        ASSERT_EQ(picture.LoadPicture(), 1);
    }

    const QImage& Shown() const { return picture.GetDisplayBitmap().GetBitmap(); }

    CTransitionStatic picture;
};

TEST_F(TransitionStaticTest, ShowsTheIconUnchangedAtTheTopLeft) {
    const QImage icon = resources::LoadAppIconImage(128, 32);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(Shown(), Source());
    const QImage drawn = picture.grab().toImage();
    int opaque = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb pixel = icon.pixel(x, y);
            const COLORREF expected =
                qAlpha(pixel) == 0 ? guitest::kFace : RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
            ASSERT_EQ(guitest::ColorAt(drawn, x, y), expected) << x << "," << y;
            opaque += qAlpha(pixel) != 0;
        }
    }
    EXPECT_GT(opaque, 300);
}

TEST_F(TransitionStaticTest, TwoHalfTurnsBringItUprightAgain) {
    picture.PlayEffect(1);
    EXPECT_EQ(CTransitionStatic::s_nAngle, 180);
    // Turned about its centre into a 34 x 34 box: output (j, i) shows source (32 - j, 33 - i).
    // Where the source is flat, the smooth sample gives its colour exactly.
    const QImage source = Source();
    const QImage& shown = Shown();
    ASSERT_EQ(shown.size(), QSize(34, 34));
    int compared = 0;
    for (int y = 1; y < 31; ++y) {
        for (int x = 1; x < 31; ++x) {
            bool flat = true;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    flat = flat && source.pixel(x + dx, y + dy) == source.pixel(x, y);
                }
            }
            if (flat) {
                ASSERT_EQ(shown.pixel(32 - x, 33 - y), source.pixel(x, y)) << x << "," << y;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 200);
    // The top of the turned picture is the bottom of the source, not its top.
    EXPECT_NE(shown.copy(1, 2, 32, 32), source);

    picture.PlayEffect(1);
    EXPECT_EQ(CTransitionStatic::s_nAngle, 360);
    EXPECT_EQ(Shown(), source);
}

TEST_F(TransitionStaticTest, MirrorTwiceRestoresThePicture) {
    picture.PlayEffect(4);
    EXPECT_TRUE(picture.IsFlippedHorizontal());
    EXPECT_EQ(Shown(), Mirrored(true, false));
    picture.PlayEffect(4);
    EXPECT_FALSE(picture.IsFlippedHorizontal());
    EXPECT_EQ(Shown(), Source());
}

TEST_F(TransitionStaticTest, UpsideDownSetsTheTopBottomMirrorOnlyWithoutTheLeftRightOne) {
    picture.PlayEffect(5);
    EXPECT_TRUE(picture.IsFlippedVertical());
    EXPECT_EQ(Shown(), Mirrored(false, true));
    picture.PlayEffect(5);
    EXPECT_TRUE(picture.IsFlippedVertical()) << "set again, not toggled";
    picture.PlayEffect(4);
    EXPECT_EQ(Shown(), Mirrored(true, true));
    picture.PlayEffect(5);
    EXPECT_FALSE(picture.IsFlippedVertical());
    EXPECT_EQ(Shown(), Mirrored(true, false));
    picture.Refresh();
    EXPECT_EQ(Shown(), Mirrored(true, false));
}

TEST_F(TransitionStaticTest, PulsesEndLightlyBlurredAndTheFlashUnchanged) {
    CFilterBitmap blurred(guitest::kFace);
    blurred.CopyFrom(Source());
    const CBlurFilter blur(1);
    const CImageFilter* const chain[] = {&blur};
    ASSERT_TRUE(blurred.ApplyFilters(chain));
    for (const int pulse : {0, 2}) {
        picture.PlayEffect(pulse);
        EXPECT_EQ(Shown(), blurred.GetBitmap()) << pulse;
    }
    picture.PlayEffect(3);
    EXPECT_EQ(Shown(), Source());
}

TEST_F(TransitionStaticTest, APulsePausesAndLetsANestedEffectRun) {
    bool nested = false;
    QTimer::singleShot(0, &picture, [&] {
        nested = true;
        picture.PlayEffect(4);  // a second click during the pause
    });
    const auto start = Clock::now();
    picture.PlayEffect(0);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(150));
    EXPECT_TRUE(nested);
    // The outer pulse's second frame mirrors as the nested mirror left it.
    CFilterBitmap expected(guitest::kFace);
    expected.CopyFrom(Source());
    const CBlurFilter blur(1);
    const CImageFilter* const chain[] = {&blur};
    ASSERT_TRUE(expected.ApplyFilters(chain));
    ASSERT_TRUE(expected.Flip(true, false));
    EXPECT_EQ(Shown(), expected.GetBitmap());
}

TEST_F(TransitionStaticTest, StripsALargerPictureLeftAreWipedInTheButtonFace) {
    CTransitionStatic::s_nAngle = 45;
    picture.PlayEffect(4);
    const QSize large = Shown().size();
    ASSERT_EQ(large, QSize(46, 46));
    QImage screen(48, 48, QImage::Format_RGB32);
    picture.render(&screen);
    screen.fill(guitest::ToQColor(kRed));  // what the larger picture left, to be wiped
    CTransitionStatic::s_nAngle = 0;
    picture.PlayEffect(4);
    picture.render(&screen, QPoint(), QRegion(), QWidget::RenderFlags());
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) {
            const bool strip = (x >= 32 || y >= 32) && x < 46 && y < 46;
            const COLORREF pixel = guitest::ColorAt(screen, x, y);
            if (strip) {
                ASSERT_EQ(pixel, guitest::kFace) << x << "," << y;
            } else if (x >= 46 || y >= 46) {
                ASSERT_EQ(pixel, kRed) << x << "," << y;
            }
        }
    }
}

TEST_F(TransitionStaticTest, APressIsAClickAndADoubleClickOnlyOne) {
    int clicks = 0;
    QObject::connect(&picture, &CTransitionStatic::clicked, [&] { ++clicks; });
    ASSERT_TRUE(guitest::ShowActive(picture));
    QWindow* window = picture.windowHandle();
    QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    QTest::mouseDClick(window, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 2);
    QTest::mouseClick(window, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 2);
}

}  // namespace
