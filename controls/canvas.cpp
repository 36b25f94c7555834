#include "controls/canvas.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr QRgb kOpaque = 0xFF000000;

QRgb ToRgb(COLORREF color) {
    return qRgb(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF ToColorRef(QRgb rgb) {
    return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

}  // namespace

Canvas::Canvas(int width, int height) : image_(width, height, QImage::Format_RGB32) {
    image_.fill(kOpaque);
}

Canvas::Canvas(const QImage& image) : image_(image.convertToFormat(QImage::Format_RGB32)) {}

COLORREF Canvas::GetPixel(int x, int y) const {
    const QPoint at = QPoint(x, y) - origin_;
    if (!image_.valid(at)) {
        return CLR_INVALID;
    }
    return ToColorRef(image_.pixel(at));
}

void Canvas::SetPixel(int x, int y, COLORREF color) {
    const QPoint at = QPoint(x, y) - origin_;
    Touch({at.x(), at.y(), at.x() + 1, at.y() + 1});
    Plot(at.x(), at.y(), color, Rop2::CopyPen);
}

Pen Canvas::SelectPen(Pen pen) {
    return std::exchange(pen_, pen);
}

Brush Canvas::SelectBrush(Brush brush) {
    return std::exchange(brush_, brush);
}

Rop2 Canvas::SetROP2(Rop2 mode) {
    return std::exchange(mode_, mode);
}

QPoint Canvas::SetWindowOrg(QPoint origin) {
    return std::exchange(origin_, origin);
}

QPoint Canvas::MoveTo(int x, int y) {
    return std::exchange(position_, QPoint(x, y));
}

void Canvas::LineTo(int x, int y) {
    Line(position_ - origin_, QPoint(x, y) - origin_);
    position_ = QPoint(x, y);
}

void Canvas::Polyline(std::span<const QPoint> points) {
    for (std::size_t i = 1; i < points.size(); ++i) {
        Line(points[i - 1] - origin_, points[i] - origin_);
    }
}

void Canvas::PolylineTo(std::span<const QPoint> points) {
    for (const QPoint& point : points) {
        LineTo(point.x(), point.y());
    }
}

void Canvas::Rectangle(const Rect& rect) {
    const Rect r = ToDevice(rect);
    if (r.IsEmpty()) {
        return;
    }
    Touch(r);
    // Every border pixel once, so that the inverting mix draws a clean frame.
    for (int x = r.left; x < r.right; ++x) {
        Plot(x, r.top, pen_.color, mode_);
        if (r.bottom - 1 > r.top) {
            Plot(x, r.bottom - 1, pen_.color, mode_);
        }
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        Plot(r.left, y, pen_.color, mode_);
        if (r.right - 1 > r.left) {
            Plot(r.right - 1, y, pen_.color, mode_);
        }
    }
    if (brush_) {
        FillDevice({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, *brush_, mode_);
    }
}

void Canvas::FillRect(const Rect& rect, COLORREF color) {
    const Rect r = ToDevice(rect);
    Touch(r);
    FillDevice(r, color, Rop2::CopyPen);
}

void Canvas::FillRgn(const QRegion& region, COLORREF color) {
    for (const QRect& part : region) {
        FillRect({part.x(), part.y(), part.x() + part.width(), part.y() + part.height()}, color);
    }
}

void Canvas::DrawFocusRect(const Rect& rect) {
    const Rect r = ToDevice(rect);
    if (r.IsEmpty()) {
        return;
    }
    Touch(r);
    const auto dot = [this](int x, int y) {
        if ((x + y) % 2 == 0) {
            Plot(x, y, 0, Rop2::Not);
        }
    };
    for (int x = r.left; x < r.right; ++x) {
        dot(x, r.top);
        if (r.bottom - 1 > r.top) {
            dot(x, r.bottom - 1);
        }
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        dot(r.left, y);
        if (r.right - 1 > r.left) {
            dot(r.right - 1, y);
        }
    }
}

void Canvas::BitBlt(int x, int y, int width, int height, const Canvas& source, int sx, int sy) {
    const QPoint to = QPoint(x, y) - origin_;
    const QPoint from = QPoint(sx, sy) - source.origin_;
    Touch({to.x(), to.y(), to.x() + width, to.y() + height});
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const QPoint in(from.x() + column, from.y() + row);
            const QPoint out(to.x() + column, to.y() + row);
            if (source.image_.valid(in) && image_.valid(out)) {
                image_.setPixel(out, source.image_.pixel(in));
            }
        }
    }
}

void Canvas::DrawIcon(int x, int y, const QImage& icon) {
    if (icon.isNull() || image_.isNull()) {
        return;
    }
    const QPoint at = QPoint(x, y) - origin_;
    Touch({at.x(), at.y(), at.x() + icon.width(), at.y() + icon.height()});
    QPainter painter(&image_);
    painter.drawImage(at, icon);
}

QSize Canvas::GetTextExtent(const QString& text, const QFont& font) {
    const QFontMetrics metrics(font);
    return {metrics.horizontalAdvance(text), metrics.height()};
}

void Canvas::DrawText(const QString& text, const Rect& rect, const QFont& font, COLORREF color) {
    const Rect r = ToDevice(rect);
    Touch(r);
    if (image_.isNull()) {
        return;
    }
    QPainter painter(&image_);
    painter.setFont(font);
    painter.setPen(ToQColor(color));
    // Not clipped: the mnemonic's underline may lie just below the line.
    painter.drawText(QRect(r.left, r.top, r.Width(), r.Height()),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic, text);
}

void Canvas::TextOutBottomCentre(int x, int y, const QString& text, const QFont& font,
                                 COLORREF color) {
    const QFontMetrics metrics(font);
    const QPoint at = QPoint(x, y) - origin_;
    const int width = metrics.horizontalAdvance(text);
    const int left = at.x() - width / 2;
    Touch({left, at.y() - metrics.height(), left + width, at.y()});
    if (image_.isNull()) {
        return;
    }
    QPainter painter(&image_);
    painter.setFont(font);
    painter.setPen(ToQColor(color));
    painter.drawText(QPoint(left, at.y() - metrics.descent()), text);
}

Rect Canvas::TakeTouched() {
    return std::exchange(touched_, Rect{});
}

void Canvas::Plot(int x, int y, COLORREF color, Rop2 mode) {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) {
        return;
    }
    auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
    line[x] = mode == Rop2::Not ? (line[x] ^ 0x00FFFFFF) | kOpaque : ToRgb(color);
}

void Canvas::Line(QPoint from, QPoint to) {
    const int dx = to.x() - from.x();
    const int dy = to.y() - from.y();
    const int steps = std::max(std::abs(dx), std::abs(dy));
    if (steps == 0) {
        return;
    }
    Touch({std::min(from.x(), to.x()), std::min(from.y(), to.y()), std::max(from.x(), to.x()) + 1,
           std::max(from.y(), to.y()) + 1});
    // One pixel per step of the longer axis; the shorter one follows the ideal line,
    // rounded half away from the start.
    const auto along = [steps](int start, int delta, int i) {
        const long long scaled = 2LL * i * std::abs(delta) + steps;
        const int offset = static_cast<int>(scaled / (2LL * steps));
        return start + (delta < 0 ? -offset : offset);
    };
    for (int i = 0; i < steps; ++i) {
        Plot(along(from.x(), dx, i), along(from.y(), dy, i), pen_.color, mode_);
    }
}

void Canvas::FillDevice(const Rect& rect, COLORREF color, Rop2 mode) {
    const int left = std::max(rect.left, 0);
    const int right = std::min(rect.right, image_.width());
    for (int y = std::max(rect.top, 0); y < std::min(rect.bottom, image_.height()); ++y) {
        for (int x = left; x < right; ++x) {
            Plot(x, y, color, mode);
        }
    }
}

void Canvas::Touch(const Rect& rect) {
    if (rect.IsEmpty()) {
        return;
    }
    if (touched_.IsEmpty()) {
        touched_ = rect;
        return;
    }
    touched_ = {std::min(touched_.left, rect.left), std::min(touched_.top, rect.top),
                std::max(touched_.right, rect.right), std::max(touched_.bottom, rect.bottom)};
}

Rect Canvas::ToDevice(const Rect& rect) const {
    return {rect.left - origin_.x(), rect.top - origin_.y(), rect.right - origin_.x(),
            rect.bottom - origin_.y()};
}
