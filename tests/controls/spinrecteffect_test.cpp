#include "controls/spinrecteffect.h"

#include <climits>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include <QApplication>
#include <QExposeEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include "controls/screenoverlay.h"
#include "controls/spinmatrix.h"

// Points read as (x, y) in failure messages.
void PrintTo(const QPoint& point, std::ostream* out) {
    *out << "(" << point.x() << ", " << point.y() << ")";
}

namespace {

using Points = std::vector<QPoint>;

// A screen of varied pixels around the rectangle, which counts what the effect does to it.
class CanvasScreen : public EffectScreen {
public:
    explicit CanvasScreen(const Rect& area) : area_(area), canvas_(area.Width(), area.Height()) {
        for (int y = 0; y < area.Height(); ++y) {
            for (int x = 0; x < area.Width(); ++x) {
                canvas_.SetPixel(x, y, RGB(x * 3, y * 5, (x + y) * 7));
            }
        }
        before_ = canvas_.Image().copy();
        canvas_.SetWindowOrg({area.left, area.top});
    }

    Canvas& Open(const Rect& wanted) override {
        opened = wanted;
        return canvas_;
    }
    void Flush() override {
        ++flushes;
        changedAtSomeFlush = changedAtSomeFlush || canvas_.Image() != before_;
    }
    void Sleep(int milliseconds) override { slept += milliseconds; }
    void Close() override { closed = true; }

    bool Unchanged() const { return canvas_.Image() == before_; }

    Rect opened;
    int flushes = 0;
    int slept = 0;
    bool changedAtSomeFlush = false;
    bool closed = false;

private:
    Rect area_;
    Canvas canvas_;
    QImage before_;
};

// Holds back the news that a window is shown, as a busy server or a compositor does: the
// window counts as exposed, but the expose that lets it take drawings comes `delay` late.
class LateExposure : public QObject {
public:
    explicit LateExposure(int delay) : delay_(delay) { qApp->installEventFilter(this); }
    ~LateExposure() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<QWindow*>(watched);
        if (window == nullptr || event->type() != QEvent::Expose || released_) {
            return false;
        }
        QTimer::singleShot(delay_, this, [this, target = QPointer<QWindow>(window)] {
            released_ = true;
            if (target != nullptr) {
                const QRegion whole(QRect(QPoint(), target->size()));
                QCoreApplication::postEvent(target, new QExposeEvent(whole));
            }
        });
        return true;
    }

private:
    int delay_;
    bool released_ = false;
};

// The real overlay, read back from the display at each flush: counts the flushes after
// which the display shows exactly the drawn pixels, in the highlight colour.
class WatchedOverlay : public EffectScreen {
public:
    Canvas& Open(const Rect& area) override {
        area_ = QRect(area.left, area.top, area.Width(), area.Height());
        canvas_ = &overlay_.Open(area);
        return *canvas_;
    }
    void Flush() override {
        overlay_.Flush();
        ++flushes;
        shown += ShowsTheCanvas() ? 1 : 0;
    }
    void Sleep(int milliseconds) override { overlay_.Sleep(milliseconds); }
    void Close() override { overlay_.Close(); }

    int flushes = 0;
    int shown = 0;

private:
    bool ShowsTheCanvas() const {
        const QImage seen = QGuiApplication::primaryScreen()
                                ->grabWindow(0, area_.x(), area_.y(), area_.width(), area_.height())
                                .toImage();
        const QImage& drawn = canvas_->Image();
        if (seen.size() != drawn.size()) {
            return false;
        }
        const QRgb ink = QApplication::palette().color(QPalette::Highlight).rgb() & 0xFFFFFF;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                const bool inked = (drawn.pixel(x, y) & 0xFFFFFF) != 0;
                if (inked != ((seen.pixel(x, y) & 0xFFFFFF) == ink)) {
                    return false;
                }
            }
        }
        return true;
    }

    ScreenOverlay overlay_;
    Canvas* canvas_ = nullptr;
    QRect area_;
};

SpinFrame Prepared(SpinFrameFunction draw, const Rect& rect, int angle, int step) {
    SpinFrame frame = MakeSpinFrame(rect, angle, 6, 50, nullptr);
    draw(frame);  // phase 0 prepares
    frame.step = step;
    return frame;
}

TEST(SpinMatrix, MulDivRoundsHalvesAwayFromZero) {
    const struct {
        int a, b, c, result;
    } cases[] = {
        {1, 1, 2, 1},
        {-1, 1, 2, -1},
        {3, 3, 2, 5},
        {-3, 3, 2, -5},
        {3, -3, -2, 5},
        {5, 1, 3, 2},
        {7, 1, 0, -1},
        {INT_MAX, 2, 1, -1},
        {65536, 25, 50, 32768},
        {32768, -2287, 65536, -1144},
        {100, 32748, 65536, 50},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result) << c.a << "*" << c.b << "/" << c.c;
    }
    EXPECT_EQ(FixedRatio(0, 50), 0);
    EXPECT_EQ(FixedRatio(25, 0), 0);
    EXPECT_EQ(FixedRatio(100, 150), 43691);
}

TEST(SpinMatrix, ProductsApplyTheFirstFactorFirst) {
    const SpinMatrix shiftThenDouble = Translate(5, 0) * Scale(2 * 65536, 0, 0);
    EXPECT_EQ(Transform({1, 1}, shiftThenDouble), QPoint(12, 2));
    const SpinMatrix doubleThenShift = Scale(2 * 65536, 0, 0) * Translate(5, 0);
    EXPECT_EQ(Transform({1, 1}, doubleThenShift), QPoint(7, 2));
    // A quarter turn about (10, 20) takes (10 + 3, 20) to (10, 20 + 3): y grows downwards.
    EXPECT_EQ(Transform({13, 20}, Rotate(90 * 65536, 10, 20)), QPoint(10, 23));
    EXPECT_EQ(Blend(QPoint(0, 100), QPoint(40, 0), 16384), QPoint(30, 25));
    EXPECT_EQ(Blend(Translate(8, 0), SpinMatrix{}, 32768), Translate(4, 0));
}

const Rect kWide{0, 0, 200, 100};

TEST(SpinFigures, ChosenFramesMatchCornersWorkedByHand) {
    const struct {
        const char* name;
        SpinFrameFunction draw;
        std::vector<Outline> (*outlines)(const SpinFrame&);
        int angle;
        Rect rect;
        std::size_t index;
        Points corners;
    } cases[] = {
        // Half the size, turned by -180 degrees: the half rectangle about the centre.
        {"spin", DrawSpin, SpinOutlines, 360, kWide, 0, {{150, 25}, {150, 75}, {50, 75}, {50, 25}}},
        // Turned by -2 degrees; the matrix entries round 32748, -1144 and 1144.
        {"barely", DrawSpin, SpinOutlines, 4, kWide, 0, {{51, 77}, {49, 27}, {149, 23}, {151, 73}}},
        // The corner (200, 0) scaled to 43691/65536 about the centre and turned by 90 degrees:
        // P = (133, 117); half sizes 50 and -25.
        {"five",
         DrawFive,
         FiveOutlines,
         180,
         kWide,
         0,
         {{83, 142}, {83, 92}, {183, 92}, {183, 142}}},
        // Shard 0 ((100, 50), (0, 100), (50, 100), centroid (50, 83)) halved about its centroid
        // and moved to its destination (78, 83): V = (100, 90) turned by 33 degrees.
        {"shatter", DrawShatter, ShatterOutlines, 180, kWide, 0, {{103, 66}, {53, 91}, {78, 91}}},
        // A square: every copy sits on the centre, halved and turned by 180 degrees.
        {"ten",
         DrawTen,
         TenOutlines,
         360,
         Rect{0, 0, 100, 100},
         7,
         {{75, 75}, {25, 75}, {25, 25}, {75, 25}}},
    };
    for (const auto& c : cases) {
        const std::vector<Outline> outlines = c.outlines(Prepared(c.draw, c.rect, c.angle, 25));
        ASSERT_LT(c.index, outlines.size()) << c.name;
        EXPECT_EQ(outlines[c.index].points, c.corners) << c.name;
        EXPECT_TRUE(outlines[c.index].drawn) << c.name;
    }
}

TEST(SpinFigures, TheLastOutlinesOfTheSpinsArePointsAndNotDrawn) {
    for (const int angle : {360, 4}) {
        const std::vector<Outline> last = SpinOutlines(Prepared(DrawSpin, kWide, angle, 0));
        EXPECT_EQ(last[0].points, Points(4, QPoint(100, 50)));
        EXPECT_FALSE(last[0].drawn);
        EXPECT_TRUE(SpinOutlines(Prepared(DrawSpin, kWide, angle, 1))[0].drawn);
    }
    for (const Outline& five : FiveOutlines(Prepared(DrawFive, kWide, 180, 0))) {
        EXPECT_FALSE(five.drawn);
    }
}

TEST(SpinFigures, ASquarePutsTheDestinationsOnTheCentre) {
    for (const Rect& square : {Rect{0, 0, 100, 100}, Rect{37, 15, 301, 279}, Rect{5, 5, 7, 7}}) {
        const QPoint centre((square.left + square.right) / 2, (square.top + square.bottom) / 2);
        const SpinFrame ten = Prepared(DrawTen, square, 360, 10);
        for (int k = 0; k < 10; ++k) {
            EXPECT_EQ(ten.ring[static_cast<std::size_t>(k)], centre) << k;
        }
        const SpinFrame shatter = Prepared(DrawShatter, square, 180, 10);
        for (std::size_t k = 0; k < 16; ++k) {
            EXPECT_EQ(Transform(shatter.centroids[k], shatter.paths[k]), centre) << k;
        }
    }
    // A wide rectangle has a ring: radius 4/5 of (half width - half height) for the shards.
    const SpinFrame wide = Prepared(DrawShatter, kWide, 180, 10);
    EXPECT_EQ(Transform(wide.centroids[0], wide.paths[0]), QPoint(78, 83));
}

TEST(SpinRectEffect, EveryFigureLeavesTheScreenAsItWas) {
    const Rect rects[] = {kWide, {300, 200, 420, 420}, {10, 10, 11, 60}, {50, 50, 50, 50}};
    for (int figure = 0; figure < 5; ++figure) {
        for (const Rect& rect : rects) {
            auto screen = std::make_unique<CanvasScreen>(Rect{-200, -200, 700, 700});
            CanvasScreen& seen = *screen;
            CSpinRectEffect effect(std::move(screen));
            effect.SetFigure(figure);
            effect.Play(rect);
            EXPECT_TRUE(seen.Unchanged()) << "figure " << figure << " rect " << rect.left;
            EXPECT_TRUE(seen.closed);
            EXPECT_EQ(seen.flushes, 100) << "each step drawn once and again";
            EXPECT_EQ(seen.slept, 56 * 5);
            EXPECT_EQ(seen.changedAtSomeFlush, !rect.IsEmpty()) << "figure " << figure;
        }
    }
}

TEST(SpinRectEffect, TheScreenIsOpenedWhereTheFigureDraws) {
    auto screen = std::make_unique<CanvasScreen>(Rect{-200, -200, 700, 700});
    CanvasScreen& seen = *screen;
    CSpinRectEffect effect(std::move(screen));
    effect.SetFigure(0);
    effect.Play(kWide);
    // Step 49 is nearly the whole rectangle; a line stops short of its end, so the bounds
    // hold the outline and a pixel more at most.
    EXPECT_LE(seen.opened.left, 2);
    EXPECT_GE(seen.opened.right, 198);
    EXPECT_LE(seen.opened.top, 1);
    EXPECT_GE(seen.opened.bottom, 99);
    EXPECT_GE(seen.opened.left, -60) << "a turning rectangle reaches past its corners only";
}

TEST(SpinRectEffect, ARandomFigureKeepsItsAngleAndStaysRandom) {
    for (int play = 0; play < 10; ++play) {
        CSpinRectEffect effect(std::make_unique<CanvasScreen>(Rect{0, 0, 220, 120}));
        effect.Play(kWide);
        EXPECT_TRUE(effect.GetAngle() == 360 || effect.GetAngle() == 180 || effect.GetAngle() == 4);
    }
    CSpinRectEffect fixed(std::make_unique<CanvasScreen>(Rect{0, 0, 220, 120}));
    fixed.SetFigure(2);
    EXPECT_EQ(fixed.GetAngle(), 4);
}

TEST(SpinRectEffect, TheOverlayGoesAwayAfterThePlay) {
    {
        CSpinRectEffect effect;
        effect.SetFigure(4);
        effect.Play({40, 30, 240, 130});
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(window->isVisible());
    }
}

TEST(SpinRectEffect, EveryFrameReachesTheOverlayEvenWhenItIsShownLate) {
    if (QGuiApplication::platformName() != "offscreen") {
        GTEST_SKIP() << "reads the overlay back as the offscreen platform keeps it";
    }
    for (const bool shownLate : {false, true}) {
        std::optional<LateExposure> late;
        if (shownLate) {
            late.emplace(700);  // well past the first frames' time
        }
        auto screen = std::make_unique<WatchedOverlay>();
        WatchedOverlay& watched = *screen;
        CSpinRectEffect effect(std::move(screen));
        effect.SetFigure(0);
        effect.Play({200, 200, 400, 300});
        EXPECT_EQ(watched.flushes, 100) << "shown late: " << shownLate;
        EXPECT_EQ(watched.shown, watched.flushes) << "shown late: " << shownLate;
    }
}

}  // namespace
