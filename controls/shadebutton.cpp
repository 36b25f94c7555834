#include "controls/shadebutton.h"

#include <algorithm>
#include <array>
#include <utility>

#include <QEvent>
#include <QPainter>

#include "controls/syscolor.h"

namespace {

constexpr COLORREF kBoxBorder = RGB(61, 73, 123);
constexpr COLORREF kBoxFill = RGB(247, 251, 255);

COLORREF ShiftColor(COLORREF color, int amount) {
    const auto shifted = [amount](int channel) { return std::clamp(channel + amount, 0, 255); };
    return RGB(shifted(GetRValue(color)), shifted(GetGValue(color)), shifted(GetBValue(color)));
}

}  // namespace

CShadeButton::CShadeButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    // Every paint covers the whole control: nothing is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    RebuildColors();
}

COLORREF CShadeButton::LightenColor(COLORREF color, int amount) {
    return ShiftColor(color, amount);
}

COLORREF CShadeButton::DarkenColor(COLORREF color, int amount) {
    return ShiftColor(color, -amount);
}

void CShadeButton::SetCheck(int check) {
    const int old = std::exchange(m_nCheck, check);
    if (old != check) {
        RepaintIndicator();
    }
}

void CShadeButton::SetFaceColor(COLORREF face) {
    m_crFace = face;
    RebuildColors();
}

void CShadeButton::RebuildColors() {
    const QPalette& system = palette();
    if (m_nKind == 3) {
        m_crLight = LightenColor(m_crFace, 51);
        m_crMid = DarkenColor(m_crFace, 51);
        m_crShadow = GetSysColor(system, COLOR_BTNSHADOW);
        m_crDark = GetSysColor(system, COLOR_WINDOWFRAME);
    } else {
        m_crFace = GetSysColor(system, COLOR_BTNFACE);
        m_crShadow = GetSysColor(system, COLOR_BTNSHADOW);
        m_crDark = GetSysColor(system, COLOR_3DDKSHADOW);
    }
    m_penFace = {m_crFace};
    m_penLight = {m_crLight};
    m_penMid = {m_crMid};
    m_penShadow = {m_crShadow};
    m_penDark = {m_crDark};
}

Rect CShadeButton::IndicatorRect(int height) {
    const int top = ((height - 12) >> 1) - 1;
    return {0, top, 14, top + 12};
}

void CShadeButton::DrawItem(const DrawItemStruct& item) {
    Canvas& dc = *item.dc;
    const Brush oldBrush = dc.SelectBrush(kNullBrush);
    dc.FillRect(item.rcItem, m_crFace);
    const Rect text = DrawCaption(dc, item);
    if (item.itemState & ODS_FOCUS) {
        const Rect& r = item.rcItem;
        dc.DrawFocusRect({std::max(text.left - 1, r.left), std::max(text.top - 1, r.top),
                          std::min(text.right + 1, r.right), std::min(text.bottom + 2, r.bottom)});
    }
    DrawIndicator(dc, item);
    dc.SelectBrush(oldBrush);
}

Rect CShadeButton::DrawCaption(Canvas& dc, const DrawItemStruct& item) const {
    const QString caption = text();
    const QSize extent = Canvas::GetTextExtent(caption, font());
    const int top = ((item.rcItem.Height() - extent.height()) >> 1) - 1;
    const Rect rect{17, top, 17 + extent.width(), top + extent.height()};
    const COLORREF color = item.itemState & ODS_DISABLED ? m_crShadow : RGB(0, 0, 0);
    dc.DrawText(caption, rect, font(), color);
    return rect;
}

void CShadeButton::DrawIndicator(Canvas& dc, const DrawItemStruct& item) const {
    const int l = 0;
    const int t = IndicatorRect(item.rcItem.Height()).top;
    const bool disabled = item.itemState & ODS_DISABLED;
    const Pen oldPen = dc.SelectPen({kBoxBorder});
    const Brush oldBrush = dc.SelectBrush(kBoxFill);
    dc.Rectangle({l, t, l + 12, t + 12});
    if (disabled) {
        for (int k = 0; k <= 5; ++k) {
            dc.SetPixel(l + 1 + 2 * k, t, kBoxFill);
            dc.SetPixel(l + 2 * k, t + 11, kBoxFill);
            dc.SetPixel(l, t + 1 + 2 * k, kBoxFill);
            dc.SetPixel(l + 11, t + 2 * k, kBoxFill);
        }
    }
    dc.SelectPen({m_crDark});
    if (m_nCheck == 1) {
        const std::array<QPoint, 3> thick = {{{l + 2, t + 5}, {l + 5, t + 8}, {l + 13, t}}};
        const std::array<QPoint, 3> thin = {{{l + 3, t + 5}, {l + 5, t + 7}, {l + 12, t}}};
        if (!disabled) {
            dc.Polyline(thick);
        }
        dc.Polyline(thin);
    } else if (m_nCheck == 2) {
        dc.SelectPen(m_penDark);
        dc.MoveTo(l + 3, t + 5);
        dc.LineTo(l + 9, t + 5);
        dc.MoveTo(l + 3, t + 6);
        dc.LineTo(l + 9, t + 6);
    }
    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
}

unsigned CShadeButton::ItemState() const {
    unsigned state = 0;
    if (isDown()) {
        state |= ODS_SELECTED;
    }
    if (!isEnabled()) {
        state |= ODS_DISABLED;
    }
    if (hasFocus()) {
        state |= ODS_FOCUS;
    }
    return state;
}

void CShadeButton::RepaintIndicator() {
    const Rect r = IndicatorRect(height());
    update(r.left, r.top, r.Width(), r.Height());
}

void CShadeButton::paintEvent(QPaintEvent*) {
    Canvas canvas(width(), height());
    DrawItem({&canvas, {0, 0, width(), height()}, ItemState()});
    QPainter(this).drawImage(0, 0, canvas.Image());
}

void CShadeButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        RebuildColors();
        update();
    }
}
