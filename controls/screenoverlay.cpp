#include "controls/screenoverlay.h"

#include <functional>
#include <utility>

#include <QEventLoop>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

// How long the window system may take to show the overlay; past it the effect goes unseen.
constexpr int kShowTimeoutMilliseconds = 5000;

// Shows the canvas: as it is over a picture of the screen, or only its drawn pixels.
class OverlayWindow : public QWidget {
public:
    OverlayWindow(const Canvas& canvas, bool grabbed)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput |
                               Qt::WindowDoesNotAcceptFocus),
          canvas_(canvas),
          grabbed_(grabbed) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TranslucentBackground, !grabbed);
        setAttribute(Qt::WA_OpaquePaintEvent, grabbed);
    }

    // Whether a paint has reached the window while the window system showed it.
    bool IsShown() const { return shown_; }
    // Called on the first such paint.
    void OnShown(std::function<void()> callback) { onShown_ = std::move(callback); }

protected:
    void paintEvent(QPaintEvent* event) override {
        Paint(event->rect() & rect());
        if (!shown_ && windowHandle()->isExposed()) {
            shown_ = true;
            if (onShown_) {
                onShown_();
            }
        }
    }

private:
    void Paint(const QRect& area) {
        QPainter painter(this);
        if (grabbed_) {
            painter.drawImage(area.topLeft(), canvas_.Image(), area);
            return;
        }
        // Black is what nothing was drawn on; the rest is an outline.
        const QRgb ink = palette().color(QPalette::Highlight).rgba();
        QImage part(area.size(), QImage::Format_ARGB32);
        for (int y = 0; y < area.height(); ++y) {
            for (int x = 0; x < area.width(); ++x) {
                const QRgb pixel = canvas_.Image().pixel(area.x() + x, area.y() + y);
                part.setPixel(x, y, (pixel & 0xFFFFFF) == 0 ? 0 : ink);
            }
        }
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(area.topLeft(), part);
    }

    const Canvas& canvas_;
    bool grabbed_;
    bool shown_ = false;
    std::function<void()> onShown_;
};

// Handles events until the window system has shown the window and it has been painted: a
// window that is mapped but not yet exposed takes no drawing, so frames drawn before that
// would never reach the screen. The paint of that first expose puts the picture on it.
void WaitUntilShown(OverlayWindow& window) {
    if (window.IsShown()) {
        return;
    }
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    window.OnShown([&loop] { loop.quit(); });
    timeout.start(kShowTimeoutMilliseconds);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    window.OnShown(nullptr);
}

QRect ToQRect(const Rect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

// A picture of the screen under `area`; null where the screen cannot be read.
QImage GrabScreen(const QRect& area) {
    if (QGuiApplication::platformName() != "xcb") {
        return {};
    }
    QScreen* screen = QGuiApplication::screenAt(area.center());
    if (screen == nullptr) {
        return {};
    }
    const QRect local = area.translated(-screen->geometry().topLeft());
    const QImage picture =
        screen->grabWindow(0, local.x(), local.y(), local.width(), local.height()).toImage();
    return picture.size() == area.size() ? picture : QImage();
}

}  // namespace

ScreenOverlay::ScreenOverlay() = default;

ScreenOverlay::~ScreenOverlay() {
    Close();
}

Canvas& ScreenOverlay::Open(const Rect& area) {
    Close();
    QScreen* primary = QGuiApplication::primaryScreen();
    const QRect desktop = primary != nullptr ? primary->virtualGeometry() : QRect();
    const QRect shown = ToQRect(area) & desktop;
    if (shown.isEmpty()) {
        canvas_ = Canvas();
        canvas_.SetWindowOrg(shown.topLeft());
        return canvas_;
    }
    const QImage screen = GrabScreen(shown);
    grabbed_ = !screen.isNull();
    canvas_ = grabbed_ ? Canvas(screen) : Canvas(shown.width(), shown.height());
    canvas_.SetWindowOrg(shown.topLeft());
    auto window = std::make_unique<OverlayWindow>(canvas_, grabbed_);
    window->setGeometry(shown);
    window->show();
    // The effect's frames start once the overlay is on the screen; no input is handled.
    WaitUntilShown(*window);
    window_ = std::move(window);
    canvas_.TakeTouched();
    return canvas_;
}

void ScreenOverlay::Flush() {
    const Rect touched = canvas_.TakeTouched();
    if (window_ != nullptr && !touched.IsEmpty()) {
        window_->repaint(ToQRect(touched));
    }
}

void ScreenOverlay::Sleep(int milliseconds) {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void ScreenOverlay::Close() {
    window_.reset();
}
