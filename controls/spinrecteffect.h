#pragma once

#include <memory>

#include "controls/effectscreen.h"
#include "controls/gdi.h"
#include "controls/spinfigures.h"

// The rubber-band animation played on the dialog's former rectangle as it closes: outlines
// of the rectangle, or of pieces of it, that shrink, turn and fly apart, each staying on the
// screen for a few frames so that a trail follows the movement. Everything is drawn by
// inverting pixels and drawn twice, so the screen ends as it began. One of five figures is
// chosen at random for each play unless SetFigure fixed one.
class CSpinRectEffect {
public:
    // Draws on the screen itself (an overlay above everything).
    CSpinRectEffect();
    explicit CSpinRectEffect(std::unique_ptr<EffectScreen> screen);
    virtual ~CSpinRectEffect();

    // Figure 0 to 4, or -1 for a random one per play; sets the angle of the figure.
    void SetFigure(int figure);
    int GetAngle() const { return m_nAngle; }
    // Plays the animation once on a rectangle in screen coordinates; returns when it is over
    // (56 rounds of 5 ms and the drawing). The thread handles no events meanwhile.
    void Play(const Rect& rect);

private:
    Rect Bounds(const Rect& rect);
    void Run(SpinFrame& frame);

    int m_nAngle = 0;
    int m_nTrail = 6;
    int m_nSteps = 50;
    int m_nDelay = 5;
    int m_nFigure = -1;
    SpinFrameFunction m_pfnFrame = nullptr;
    std::unique_ptr<EffectScreen> m_hdcScreen;
    Pen m_hPen{RGB(0, 0, 0)};  // with the inverting mix its colour plays no part
};
