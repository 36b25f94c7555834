#include "controls/screenoverlay.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QWidget>
#include <QWindow>

namespace {

constexpr int kExposeTimeoutMilliseconds = 500;

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

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        const QRect area = event->rect() & rect();
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

private:
    const Canvas& canvas_;
    bool grabbed_;
};

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
    window_ = std::make_unique<OverlayWindow>(canvas_, grabbed_);
    window_->setGeometry(shown);
    window_->show();
    // The window must be on the screen before the first outline; nothing else is handled.
    QElapsedTimer waited;
    waited.start();
    while (!window_->windowHandle()->isExposed() && waited.elapsed() < kExposeTimeoutMilliseconds) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    }
    window_->repaint();
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
