#pragma once

#include <span>

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QSize>
#include <QString>

#include "controls/gdi.h"

// A colour of the drawings as Qt's colour.
inline QColor ToQColor(COLORREF color) {
    return {GetRValue(color), GetGValue(color), GetBValue(color)};
}

// A picture to draw on with the rules the controls' drawings are written for: a line covers
// its first point and stops one pixel short of its last, a rectangle's border lies inside it,
// and the inverting mix undoes itself when the same thing is drawn twice. The pixels are a
// QImage::Format_RGB32, bytes blue, green, red, X; drawing outside the picture is clipped.
//
// Shapes, pixels and copies need no display. Text goes through Qt's painter on the same
// picture and needs a QGuiApplication.
//
// Coordinates are logical: the window origin (0, 0 unless set) is the picture's top-left.
// The canvas also notes the bounds of everything drawn since they were last taken, clipped
// or not, so that a canvas without pixels measures where a drawing would go.
class Canvas {
public:
    // No pixels: drawing only measures.
    Canvas() = default;
    // width x height black pixels.
    Canvas(int width, int height);
    // The pixels of an image, in the canvas's format.
    explicit Canvas(const QImage& image);

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    const QImage& Image() const { return image_; }

    // CLR_INVALID outside the picture.
    COLORREF GetPixel(int x, int y) const;
    // Sets one pixel, whatever the mix mode.
    void SetPixel(int x, int y, COLORREF color);

    // Each returns what was selected before.
    Pen SelectPen(Pen pen);
    Brush SelectBrush(Brush brush);
    Rop2 SetROP2(Rop2 mode);
    QPoint SetWindowOrg(QPoint origin);

    // Moves the current position; returns the old one.
    QPoint MoveTo(int x, int y);
    // A line from the current position to (x, y), without (x, y), which becomes current.
    void LineTo(int x, int y);
    // Lines through the points; the current position is neither used nor changed.
    void Polyline(std::span<const QPoint> points);
    // Lines from the current position through the points; the last becomes current.
    void PolylineTo(std::span<const QPoint> points);
    // The border in the pen on the outermost pixels of the rectangle, the inside in the brush.
    void Rectangle(const Rect& rect);

    // Fill in a colour whatever the mix mode.
    void FillRect(const Rect& rect, COLORREF color);
    void FillRgn(const QRegion& region, COLORREF color);
    // Inverts every other pixel of the rectangle's outermost ring: drawn twice, it is gone.
    void DrawFocusRect(const Rect& rect);
    // Copies width x height pixels from (sx, sy) of the source to (x, y).
    void BitBlt(int x, int y, int width, int height, const Canvas& source, int sx, int sy);
    // Draws an icon picture at its own size over what is there, through its transparency.
    void DrawIcon(int x, int y, const QImage& icon);

    // The size of a text in a font, every character measured (an ampersand too).
    static QSize GetTextExtent(const QString& text, const QFont& font);
    // The text centred across the rectangle from its top; "&x" underlines x, the line maybe
    // just below the rectangle.
    void DrawText(const QString& text, const Rect& rect, const QFont& font, COLORREF color);
    // The text centred on x with the bottom of its line on y.
    void TextOutBottomCentre(int x, int y, const QString& text, const QFont& font, COLORREF color);

    // The bounds of what was drawn since the last call, in pixels of the picture (not
    // clipped to it); empty when nothing was.
    Rect TakeTouched();

private:
    void Plot(int x, int y, COLORREF color, Rop2 mode);
    void Line(QPoint from, QPoint to);
    void FillDevice(const Rect& rect, COLORREF color, Rop2 mode);
    void Touch(const Rect& rect);
    Rect ToDevice(const Rect& rect) const;

    QImage image_;
    Pen pen_;
    Brush brush_ = RGB(255, 255, 255);
    Rop2 mode_ = Rop2::CopyPen;
    QPoint origin_;
    QPoint position_;
    Rect touched_;
};
