#pragma once

#include "controls/shadebutton.h"

// The dialog's flat check box: a 12 x 12 box left of the caption, with a tick, a dash for
// the indeterminate state, and a dotted border when disabled. It keeps its own check state
// and handles the mouse and the space bar itself: a press and a release inside, or a press
// and release of the space bar, turn 0 to 1 and anything else to 0, and then report the
// click. A double click is a second press. The caption's mnemonic clicks it too.
class CShadeCheckBox : public CShadeButton {
public:
    explicit CShadeCheckBox(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void Toggle();
};
