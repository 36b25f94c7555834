#pragma once

#include <QAbstractButton>

#include "controls/drawitem.h"
#include "controls/gdi.h"

// The base of the dialog's flat, self-drawn buttons: the kind of control, its pressed and
// check states, five shading colours with a pen each, and the drawing of the flat check box.
// Every paint draws the whole control off screen and reaches the screen in one copy.
//
// A click is reported to the dialog as QAbstractButton::clicked, delivered at once (the
// dialog's handler runs inside the control's own event handling).
class CShadeButton : public QAbstractButton {
public:
    // Adds `amount` to (or takes it from) each of red, green and blue, held to 0...255.
    static COLORREF LightenColor(COLORREF color, int amount);
    static COLORREF DarkenColor(COLORREF color, int amount);

    // Stores the check state (0 unchecked, 1 checked, 2 indeterminate, other values show an
    // empty box); a different value repaints the indicator only.
    void SetCheck(int check);
    int GetCheck() const { return m_nCheck; }
    // Whether the control is held down with the pointer over it (or by the space bar).
    bool IsPressed() const { return m_bPressed != 0; }

    // The face colour of a colour button (kind 3); a check box takes its face from the system.
    void SetFaceColor(COLORREF face);
    // Recomputes the colours of the control's kind and the pens.
    void RebuildColors();

    // Draws the control: caption, focus frame and indicator of the check box.
    virtual void DrawItem(const DrawItemStruct& item);

    // The box of the indicator within a control of the given height.
    static Rect IndicatorRect(int height);

protected:
    explicit CShadeButton(QWidget* parent);

    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    // The state flags of a draw request as the control stands.
    virtual unsigned ItemState() const;
    void RepaintIndicator();

    int m_nKind = 0;  // 1 check box, 3 colour button
    int m_bPressed = 0;
    int m_nCheck = 0;
    Pen m_penFace;
    Pen m_penLight;
    Pen m_penMid;
    Pen m_penShadow;
    Pen m_penDark;
    COLORREF m_crLight = 0;
    COLORREF m_crFace = 0;
    COLORREF m_crMid = 0;
    COLORREF m_crShadow = 0;
    COLORREF m_crDark = 0;

private:
    Rect DrawCaption(Canvas& dc, const DrawItemStruct& item) const;
    void DrawIndicator(Canvas& dc, const DrawItemStruct& item) const;
};
