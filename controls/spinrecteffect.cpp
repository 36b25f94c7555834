#include "controls/spinrecteffect.h"

#include <QRandomGenerator>

#include "controls/screenoverlay.h"

namespace {

SpinFrameFunction FrameFunctionOf(int figure) {
    switch (figure) {
        case 1:
            return DrawFive;
        case 3:
            return DrawShatter;
        case 4:
            return DrawTen;
        default:
            return DrawSpin;
    }
}

}  // namespace

CSpinRectEffect::CSpinRectEffect() : CSpinRectEffect(std::make_unique<ScreenOverlay>()) {}

CSpinRectEffect::CSpinRectEffect(std::unique_ptr<EffectScreen> screen)
    : m_hdcScreen(std::move(screen)) {
    SetFigure(-1);
}

CSpinRectEffect::~CSpinRectEffect() = default;

void CSpinRectEffect::SetFigure(int figure) {
    m_nFigure = figure;
    switch (figure) {
        case 0:
        case 4:
            m_nAngle = 360;
            break;
        case 1:
        case 3:
            m_nAngle = 180;
            break;
        case 2:
            m_nAngle = 4;
            break;
        default:
            break;
    }
}

void CSpinRectEffect::Play(const Rect& rect) {
    const bool random = m_nFigure == -1;
    if (random) {
        SetFigure(QRandomGenerator::global()->bounded(5));
    }
    m_pfnFrame = FrameFunctionOf(m_nFigure);
    if (random) {
        m_nFigure = -1;
    }
    Canvas& dc = m_hdcScreen->Open(Bounds(rect));
    const Pen oldPen = dc.SelectPen(m_hPen);
    const Rop2 oldMode = dc.SetROP2(Rop2::Not);
    SpinFrame frame = MakeSpinFrame(rect, m_nAngle, m_nTrail, m_nSteps, &dc);
    Run(frame);
    dc.SetROP2(oldMode);
    dc.SelectPen(oldPen);
    m_hdcScreen->Close();
}

// Where the figure will draw: every step drawn once on a canvas without pixels.
Rect CSpinRectEffect::Bounds(const Rect& rect) {
    Canvas measure;
    SpinFrame frame = MakeSpinFrame(rect, m_nAngle, m_nTrail, m_nSteps, &measure);
    m_pfnFrame(frame);
    frame.phase = 1;
    for (frame.step = 0; frame.step < m_nSteps; ++frame.step) {
        m_pfnFrame(frame);
    }
    return measure.TakeTouched();
}

void CSpinRectEffect::Run(SpinFrame& frame) {
    frame.phase = 0;
    m_pfnFrame(frame);
    for (int i = m_nTrail + m_nSteps - 1; i >= 0; --i) {
        if (i >= m_nTrail) {
            frame.phase = 1;
            frame.step = i - m_nTrail;
            m_pfnFrame(frame);
            m_hdcScreen->Flush();
        }
        m_hdcScreen->Sleep(m_nDelay);
        if (i < m_nSteps) {
            frame.phase = 2;
            frame.step = i;
            m_pfnFrame(frame);
            m_hdcScreen->Flush();
        }
    }
    frame.phase = 3;
    m_pfnFrame(frame);
}
