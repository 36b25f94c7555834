#pragma once

#include <QWidget>

#include "controls/filterbitmap.h"

// The picture of the dialog's options: the application icon, which plays one of six short
// effects each time it is clicked (a blur pulse, a half turn, a sharpen pulse, a negative
// flash, a left-right mirror, an upside-down turn). The mirror and the turn an effect leaves
// stay, so the picture changes its attitude from click to click; every effect starts again
// from the picture as loaded. All of it runs inside the click's handling; the pulses pause
// between their two frames and let the dialog handle what is pending meanwhile, so a second
// click can play an effect nested in the first.
//
// The picture is drawn at the top-left corner at its own size, clipped by the control.
class CTransitionStatic : public QWidget {
    Q_OBJECT

public:
    explicit CTransitionStatic(QWidget* parent = nullptr);

    // Makes icon 128 the picture; always 1.
    int LoadPicture();
    // Rebuilds the shown picture from the loaded one with the current mirroring.
    void Refresh();
    // Paints the shown picture at once.
    void PaintNow();
    // Plays one of the six effects, chosen at random.
    void PlayRandomEffect();
    // Plays effect 0 to 5 (blur pulse, half turn, sharpen pulse, negative flash, mirror,
    // upside-down).
    void PlayEffect(int effect);

    const CFilterBitmap& GetDisplayBitmap() const { return m_bmpDisplay; }
    bool IsFlippedHorizontal() const { return m_bFlipHorizontal; }
    bool IsFlippedVertical() const { return m_bFlipVertical; }

    // The picture's turn in degrees, shared by every instance for the life of the process.
    // Only the half turn changes it, by 5 a frame, and never takes it back.
    static int s_nAngle;

signals:
    // A press of the left button on the picture.
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void Reset();
    void Run(std::initializer_list<const CImageFilter*> before,
             std::initializer_list<const CImageFilter*> after, bool mirror = true);
    void Pause();

    CFilterBitmap m_bmpDisplay;
    CFilterBitmap m_bmpSource;
    int m_cxPainted = 0;
    int m_cyPainted = 0;
    bool m_bFlipHorizontal = false;
    bool m_bFlipVertical = false;
    bool m_bSmooth = true;
};
