#pragma once

#include <memory>

#include "controls/canvas.h"
#include "controls/effectscreen.h"

class QWidget;

// The screen as the closing effect draws on it: a frameless window above everything that
// lets every click through, over the area the effect needs. Where the screen can be read
// (X11), the window starts as a picture of what lies beneath it and the effect inverts that
// picture, as if it inverted the screen; elsewhere the window is transparent and what the
// effect draws shows in the highlight colour. Open returns once the window system shows the
// window, so that every frame drawn after it reaches the screen.
class ScreenOverlay : public EffectScreen {
public:
    ScreenOverlay();
    ~ScreenOverlay() override;

    Canvas& Open(const Rect& area) override;
    void Flush() override;
    void Sleep(int milliseconds) override;
    void Close() override;

private:
    Canvas canvas_;
    bool grabbed_ = false;
    std::unique_ptr<QWidget> window_;
};
