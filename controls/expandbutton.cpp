#include "controls/expandbutton.h"

#include <array>

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QThread>

#include "controls/syscolor.h"

namespace {

constexpr int kAnimationMilliseconds = 50;

void Line(Canvas& dc, const Pen& pen, QPoint from, QPoint to) {
    dc.SelectPen(pen);
    dc.MoveTo(from.x(), from.y());
    dc.LineTo(to.x(), to.y());
}

void Polyline(Canvas& dc, const Pen& pen, std::initializer_list<QPoint> points) {
    dc.SelectPen(pen);
    dc.Polyline(std::span(points.begin(), points.size()));
}

}  // namespace

CExpandButton::CExpandButton(QWidget* parent) : CShadeButton(parent) {
    m_nKind = 3;
    SetFaceColor(GetSysColor(palette(), COLOR_BTNFACE));
}

void CExpandButton::PreSubclassWindow() {
    resize(width() + 12, height());
}

void CExpandButton::DrawItem(const DrawItemStruct& item) {
    Canvas& dc = *item.dc;
    const Brush oldBrush = dc.SelectBrush(kNullBrush);
    const Pen oldPen = dc.SelectPen(m_penFace);
    dc.FillRect(item.rcItem, GetSysColor(palette(), COLOR_BTNFACE));
    const int b = item.rcItem.left + 10;
    const int d = (item.rcItem.Height() - 11) >> 1;
    if (m_bAnimate) {
        m_bAnimate = 0;
        DrawIntermediateArrow(dc, b, d);
    } else if (item.itemState & ODS_SELECTED) {
        const COLORREF face = m_crFace;
        m_crFace = DarkenColor(face, 51);
        RebuildColors();
        DrawArrow(dc, b, d);
        m_crFace = face;
        RebuildColors();
    } else {
        DrawArrow(dc, b, d);
    }
    // The button is a tab stop: a keyboard user has to see where the focus is.
    if ((item.itemState & (ODS_FOCUS | ODS_NOFOCUSRECT)) == ODS_FOCUS) {
        dc.DrawFocusRect(item.rcItem);
    }
    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
}

void CExpandButton::DrawArrow(Canvas& dc, int b, int d) const {
    if (!m_bExpanded) {  // points right
        Polyline(dc, m_penDark, {{b - 7, d}, {b - 7, d + 10}, {b - 2, d + 5}, {b - 7, d}});
        Line(dc, m_penShadow, {b - 6, d + 10}, {b - 1, d + 5});
        Line(dc, m_penFace, {b - 5, d + 3}, {b - 5, d + 7});
        Line(dc, m_penFace, {b - 4, d + 4}, {b - 4, d + 6});
        dc.SetPixel(b - 6, d + 8, m_crFace);
        Line(dc, m_penLight, {b - 6, d + 2}, {b - 6, d + 8});
        Line(dc, m_penMid, {b - 5, d + 7}, {b - 2, d + 4});
    } else {  // points down
        Polyline(dc, m_penDark, {{b, d + 3}, {b - 10, d + 3}, {b - 5, d + 8}, {b, d + 3}});
        Line(dc, m_penShadow, {b - 4, d + 8}, {b + 1, d + 3});
        Line(dc, m_penFace, {b - 7, d + 5}, {b - 3, d + 5});
        Line(dc, m_penFace, {b - 6, d + 6}, {b - 4, d + 6});
        dc.SetPixel(b - 2, d + 4, m_crFace);
        Line(dc, m_penLight, {b - 8, d + 4}, {b - 2, d + 4});
        Line(dc, m_penMid, {b - 5, d + 7}, {b - 2, d + 4});
    }
}

void CExpandButton::DrawIntermediateArrow(Canvas& dc, int b, int d) const {
    Polyline(dc, m_penDark, {{b - 10, d + 7}, {b - 3, d}, {b - 3, d + 7}, {b - 10, d + 7}});
    Polyline(dc, m_penShadow, {{b - 9, d + 8}, {b - 2, d + 8}, {b - 2, d}});
    Line(dc, m_penFace, {b - 7, d + 6}, {b - 4, d + 3});
    dc.SetPixel(b - 5, d + 5, m_crFace);
    Line(dc, m_penLight, {b - 8, d + 6}, {b - 3, d + 1});
    Polyline(dc, m_penMid, {{b - 6, d + 6}, {b - 4, d + 6}, {b - 4, d + 2}});
}

void CExpandButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_bDownInside = 1;
    }
    QAbstractButton::mousePressEvent(event);
}

void CExpandButton::mouseReleaseEvent(QMouseEvent* event) {
    // The push button reports the click first; the dialog reads the state from before it.
    QAbstractButton::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (m_bDownInside && rect().contains(event->position().toPoint())) {
        Turn();
    }
    m_bDownInside = 0;
}

void CExpandButton::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void CExpandButton::keyReleaseEvent(QKeyEvent* event) {
    // A click by the space bar turns the state over too, or the dialog and the arrow would
    // part ways.
    const bool click = event->key() == Qt::Key_Space && !event->isAutoRepeat() && isDown();
    QAbstractButton::keyReleaseEvent(event);
    if (click) {
        Turn();
    }
}

void CExpandButton::focusInEvent(QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    m_bFocusByKeyboard = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                                 reason == Qt::ShortcutFocusReason
                             ? 1
                             : 0;
    CShadeButton::focusInEvent(event);
}

unsigned CExpandButton::ItemState() const {
    const unsigned state = CShadeButton::ItemState();
    return m_bFocusByKeyboard ? state : state | ODS_NOFOCUSRECT;
}

void CExpandButton::Turn() {
    m_bExpanded = m_bExpanded ? 0 : 1;
    m_bAnimate = 1;
    repaint();
    if (!m_bAnimate) {  // the intermediate arrow reached the screen
        QThread::msleep(kAnimationMilliseconds);
    }
    m_bAnimate = 0;
    repaint();
}
