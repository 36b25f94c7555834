#include "controls/shapedbutton.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "controls/syscolor.h"

namespace {

constexpr int kIconSize = 32;

}  // namespace

CShapedButton::CShapedButton(QWidget* parent) : QAbstractButton(parent) {
    m_crNormal = m_crPressed = m_crHover = m_crDisabled = GetSysColor(palette(), COLOR_BTNFACE);
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
    // Every paint covers the whole shape: nothing is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CShapedButton::~CShapedButton() = default;

bool CShapedButton::CreateShaped(const QString& text, std::uint32_t style, int x, int y,
                                 const QRegion& region, QWidget* parent, int id, int edgeStyle,
                                 COLORREF normal, COLORREF pressed, COLORREF hover,
                                 COLORREF disabled) {
    m_nEdgeStyle = edgeStyle;
    m_crNormal = normal;
    m_crPressed = pressed;
    m_crHover = hover;
    m_crDisabled = disabled;
    const QRect box = region.boundingRect();
    m_hRgn = region.translated(-box.topLeft());
    m_ptCenter = {box.width() / 2, box.height() / 2};
    m_nID = id;

    setParent(parent);
    setText(text);
    setGeometry(x, y, box.width(), box.height());
    m_bRebuild = 1;
    setMask(m_hRgn);
    setEnabled(!(style & WS_DISABLED));
    setVisible(style & WS_VISIBLE);
    return true;
}

void CShapedButton::SetIcon(const QIcon& icon) {
    m_bRebuild = 1;
    setIcon(icon);  // repaints
}

bool CShapedButton::IsInside(QPoint point) const {
    const QRegion shape = mask();
    return shape.boundingRect().contains(point) && shape.contains(point);
}

bool CShapedButton::hitButton(const QPoint& pos) const {
    return IsInside(pos);
}

void CShapedButton::TrackHover(QPoint point) {
    if (IsInside(point)) {
        m_bCaptured = 1;
        if (m_bHover) {
            return;
        }
        m_bHover = 1;
    } else {
        m_bCaptured = 0;
        m_bHover = 0;
    }
    repaint();
}

void CShapedButton::mouseMoveEvent(QMouseEvent* event) {
    if (!m_bMouseDown) {
        TrackHover(event->position().toPoint());
    }
    QAbstractButton::mouseMoveEvent(event);
}

void CShapedButton::leaveEvent(QEvent* event) {
    // The pointer left the shape: into a cut-off corner, onto another window or away.
    if (m_bCaptured && !m_bMouseDown) {
        TrackHover({-1, -1});
    }
    QAbstractButton::leaveEvent(event);
}

void CShapedButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        m_bCaptured = 0;
        m_bHover = 0;
    }
    QAbstractButton::changeEvent(event);
}

void CShapedButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_bMouseDown = 1;
        m_bCaptured = 1;
    }
    QAbstractButton::mousePressEvent(event);
}

void CShapedButton::mouseReleaseEvent(QMouseEvent* event) {
    QAbstractButton::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    m_bMouseDown = 0;
    m_bCaptured = 0;
    TrackHover(event->position().toPoint());
}

void CShapedButton::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void CShapedButton::paintEvent(QPaintEvent*) {
    Canvas canvas(width(), height());
    unsigned state = 0;
    if (isDown()) {
        state |= ODS_SELECTED;
    }
    if (!isEnabled()) {
        state |= ODS_DISABLED;
    }
    DrawItem({&canvas, {0, 0, width(), height()}, state});
    QPainter painter(this);
    painter.setClipRegion(mask());
    painter.drawImage(0, 0, canvas.Image());
}

void CShapedButton::DrawItem(const DrawItemStruct& item) {
    const int width = item.rcItem.Width();
    const int height = item.rcItem.Height();
    // A picture of another size would not cover the button: drawn again as after SetIcon.
    if (m_bRebuild || m_pImgNormal->Width() != width || m_pImgNormal->Height() != height) {
        RenderPictures(width, height);
        m_bRebuild = 0;
    }
    const Canvas* picture = m_pImgNormal.get();
    if (item.itemState & ODS_DISABLED) {
        picture = m_pImgDisabled.get();
    } else if (item.itemState & ODS_SELECTED) {
        picture = m_pImgPressed.get();
    } else if (m_bHover) {
        picture = m_pImgHover.get();
    }
    for (const QRect& part : mask()) {
        item.dc->BitBlt(part.x(), part.y(), part.width(), part.height(), *picture, part.x(),
                        part.y());
    }
}

void CShapedButton::RenderPictures(int width, int height) {
    m_pImgNormal = RenderPicture(width, height, m_crNormal, true, false);
    m_pImgPressed = RenderPicture(width, height, m_crPressed, true, true);
    m_pImgHover = RenderPicture(width, height, m_crHover, true, false);
    m_pImgDisabled = RenderPicture(width, height, m_crDisabled, false, false);
}

std::unique_ptr<Canvas> CShapedButton::RenderPicture(int width, int height, COLORREF face,
                                                     bool enabled, bool pressed) const {
    auto picture = std::make_unique<Canvas>(width, height);
    picture->FillRgn(mask(), face);
    DrawContent(*picture, width, height, enabled, pressed);
    DrawEdge(*picture, pressed);
    return picture;
}

void CShapedButton::DrawContent(Canvas& dc, int width, int height, bool enabled,
                                bool pressed) const {
    if (!icon().isNull()) {
        const int shift = pressed ? 1 : 0;
        const QImage image =
            icon().pixmap(QSize(kIconSize, kIconSize), 1.0).toImage().scaled(kIconSize, kIconSize);
        dc.DrawIcon((width - kIconSize) / 2 + shift, (height - kIconSize) / 2 + shift, image);
        return;
    }
    const QFont font = parentWidget() != nullptr ? parentWidget()->font() : this->font();
    const int shift = pressed ? m_nEdgeStyle : 0;
    const int x = m_ptCenter.x() + shift;
    const int y = m_ptCenter.y() + QFontMetrics(font).height() / 2 + shift;
    const QPalette& system = palette();
    if (enabled) {
        dc.TextOutBottomCentre(x, y, text(), font, GetSysColor(system, COLOR_BTNTEXT));
    } else {
        dc.TextOutBottomCentre(x + 1, y + 1, text(), font, GetSysColor(system, COLOR_BTNHIGHLIGHT));
        dc.TextOutBottomCentre(x, y, text(), font, GetSysColor(system, COLOR_BTNSHADOW));
    }
}

void CShapedButton::DrawEdge(Canvas& dc, bool pressed) const {
    const QRegion shape = mask();
    const QRegion topLeft = shape.subtracted(shape.translated(1, 1));
    const QRegion bottomRight = shape.subtracted(shape.translated(-1, -1));
    const COLORREF highlight = GetSysColor(palette(), COLOR_BTNHIGHLIGHT);
    const COLORREF dark = GetSysColor(palette(), COLOR_3DDKSHADOW);
    dc.FillRgn(topLeft, pressed ? dark : highlight);
    dc.FillRgn(bottomRight, pressed ? highlight : dark);
}
