#pragma once

#include "controls/shadebutton.h"

// The small toggle that shows and hides the options of the dialog: an embossed arrow that
// points right while they are hidden and down while they are shown, drawn in shades of the
// face colour (darker while the button is held down). The mouse and the keyboard work as on
// any push button; a completed click is reported first and turns the state over afterwards,
// so the dialog's handler still reads the state from before the click. The turn shows the
// arrow at 45 degrees for 50 ms, the dialog's thread waiting. A dotted frame marks the focus
// when the keyboard brought it.
class CExpandButton : public CShadeButton {
public:
    explicit CExpandButton(QWidget* parent = nullptr);

    // 1 while the options are shown.
    int IsExpanded() const { return m_bExpanded; }
    // Widens the button by 12 pixels, left, top and height kept; the dialog calls it once the
    // button has its place from the template.
    void PreSubclassWindow();

    void DrawItem(const DrawItemStruct& item) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    unsigned ItemState() const override;

private:
    void Turn();
    void DrawArrow(Canvas& dc, int b, int d) const;
    void DrawIntermediateArrow(Canvas& dc, int b, int d) const;

    int m_bAnimate = 0;
    int m_bExpanded = 0;
    int m_bDownInside = 0;
    int m_bFocusByKeyboard = 0;  // the focus frame shows only then, as a click needs none
};
