#pragma once

#include <cstdint>
#include <memory>

#include <QAbstractButton>
#include <QIcon>
#include <QRegion>

#include "controls/canvas.h"
#include "controls/drawitem.h"
#include "controls/gdi.h"

// Window styles CreateShaped understands.
constexpr std::uint32_t WS_CHILD = 0x40000000;
constexpr std::uint32_t WS_VISIBLE = 0x10000000;
constexpr std::uint32_t WS_DISABLED = 0x08000000;
constexpr std::uint32_t BS_ICON = 0x00000040;

// A push button with the outline of a region: a face in one of four colours (normal,
// pressed, hover, disabled), an icon or a text in the middle, and a one-pixel raised or
// sunken edge that follows the outline. Only points inside the shape belong to it: the
// pointer over a cut-off corner is over the window beneath, a click there goes there, and
// the hover look ends as the pointer leaves the shape. A double click is two clicks.
//
// The four pictures are drawn once and then only copied; they are drawn again after
// SetIcon, so the colours given to CreateShaped are final.
class CShapedButton : public QAbstractButton {
public:
    explicit CShapedButton(QWidget* parent = nullptr);
    ~CShapedButton() override;

    // Makes the button a child of `parent` with the text and the style (WS_VISIBLE shows it,
    // WS_DISABLED disables it), shaped as `region` moved so that its bounding box starts at
    // (x, y) in the parent; `id` is what GetDlgCtrlID gives. The region is copied.
    bool CreateShaped(const QString& text, std::uint32_t style, int x, int y, const QRegion& region,
                      QWidget* parent, int id, int edgeStyle, COLORREF normal, COLORREF pressed,
                      COLORREF hover, COLORREF disabled);
    // Shows the icon (drawn at 32 x 32) instead of the text; the pictures are drawn again.
    void SetIcon(const QIcon& icon);
    int GetDlgCtrlID() const { return m_nID; }
    // Whether the pointer is over the shape (the hover look).
    bool IsHover() const { return m_bHover != 0; }

    void DrawItem(const DrawItemStruct& item);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // A disabled button hears nothing of the pointer, so its hover ends with it.
    void changeEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    bool IsInside(QPoint point) const;
    void TrackHover(QPoint point);
    void RenderPictures(int width, int height);
    std::unique_ptr<Canvas> RenderPicture(int width, int height, COLORREF face, bool enabled,
                                          bool pressed) const;
    void DrawContent(Canvas& dc, int width, int height, bool enabled, bool pressed) const;
    void DrawEdge(Canvas& dc, bool pressed) const;

    int m_nEdgeStyle = 1;
    COLORREF m_crNormal;
    COLORREF m_crPressed;
    COLORREF m_crHover;
    COLORREF m_crDisabled;
    std::unique_ptr<Canvas> m_pImgNormal;
    std::unique_ptr<Canvas> m_pImgPressed;
    std::unique_ptr<Canvas> m_pImgHover;
    std::unique_ptr<Canvas> m_pImgDisabled;
    QPoint m_ptCenter;
    int m_bMouseDown = 0;
    int m_bHover = 0;
    // Set while the button follows the pointer on its own account; Qt tells a masked widget
    // when the pointer leaves its shape, which is all the capture was for.
    int m_bCaptured = 0;
    QRegion m_hRgn;
    int m_bRebuild = 1;
    int m_nID = 0;
};
