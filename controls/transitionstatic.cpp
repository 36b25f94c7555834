#include "controls/transitionstatic.h"

#include <algorithm>
#include <vector>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QThread>

#include "controls/canvas.h"
#include "controls/colorfilters.h"
#include "controls/geometryfilters.h"
#include "controls/kernelfilters.h"
#include "controls/syscolor.h"
#include "resources/appicons.h"

namespace {

constexpr int kPictureIcon = 128;
constexpr int kHalfTurnFrames = 36;

}  // namespace

int CTransitionStatic::s_nAngle = 0;

CTransitionStatic::CTransitionStatic(QWidget* parent)
    : QWidget(parent),
      m_bmpDisplay(GetSysColor(palette(), COLOR_BTNFACE)),
      m_bmpSource(GetSysColor(palette(), COLOR_BTNFACE)) {}

int CTransitionStatic::LoadPicture() {
    CFilterBitmap icon(RGB(255, 255, 255));
    if (icon.FromIcon(resources::LoadAppIconImage(kPictureIcon, 32),
                      GetSysColor(palette(), COLOR_BTNFACE))) {
        m_bmpSource.Detach();
        m_bmpSource.Attach(icon.Detach());
        m_bmpDisplay.CopyFrom(&m_bmpSource);
        Refresh();
    }
    return 1;
}

void CTransitionStatic::Refresh() {
    if (m_bmpSource.IsEmpty()) {
        return;
    }
    m_bmpDisplay.CopyFrom(&m_bmpSource);
    if (m_bFlipHorizontal || m_bFlipVertical) {
        m_bmpDisplay.Flip(m_bFlipHorizontal, m_bFlipVertical);
    }
    update();
}

void CTransitionStatic::PaintNow() {
    repaint();
}

void CTransitionStatic::paintEvent(QPaintEvent*) {
    if (m_bmpDisplay.IsEmpty()) {
        return;
    }
    QPainter painter(this);
    const QImage& picture = m_bmpDisplay.GetBitmap();
    const int w = picture.width();
    const int h = picture.height();
    painter.drawImage(0, 0, picture);
    // Wipe what a larger picture painted before left behind.
    const QColor face = ToQColor(GetSysColor(palette(), COLOR_BTNFACE));
    if (w < m_cxPainted) {
        painter.fillRect(
            QRect(QPoint(w, 0), QPoint(m_cxPainted, std::max(m_cyPainted, h)) - QPoint(1, 1)),
            face);
    }
    if (h < m_cyPainted) {
        painter.fillRect(
            QRect(QPoint(0, h), QPoint(std::max(m_cxPainted, w), m_cyPainted) - QPoint(1, 1)),
            face);
    }
    m_cxPainted = w;
    m_cyPainted = h;
}

void CTransitionStatic::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit clicked();
    }
}

// The second press of a double click is not a click of the picture.
void CTransitionStatic::mouseDoubleClickEvent(QMouseEvent*) {}

void CTransitionStatic::PlayRandomEffect() {
    PlayEffect(QRandomGenerator::global()->bounded(6));
}

void CTransitionStatic::PlayEffect(int effect) {
    const CRotateFilter rotate(s_nAngle, m_bSmooth);
    switch (effect) {
        case 0: {  // blur pulse
            const CBlurFilter strong(10);
            const CBlurFilter light(1);
            Run({&strong}, {&rotate});
            PaintNow();
            Pause();
            Run({&light}, {&rotate});
            PaintNow();
            break;
        }
        case 1:  // half turn, as fast as the machine draws
            for (int frame = 0; frame < kHalfTurnFrames; ++frame) {
                s_nAngle += 5;
                const CRotateFilter turn(s_nAngle, m_bSmooth);
                Run({}, {&turn}, m_bFlipHorizontal || m_bFlipVertical);
                PaintNow();
            }
            break;
        case 2: {  // sharpen pulse
            const CSharpenFilter sharpen(10);
            const CBlurFilter light(1);
            Run({&sharpen}, {&rotate});
            PaintNow();
            Pause();
            Run({&light}, {&rotate});
            PaintNow();
            break;
        }
        case 3: {  // negative flash
            const CNegativeFilter negative;
            Run({&negative}, {&rotate});
            PaintNow();
            Pause();
            Run({}, {&rotate});
            PaintNow();
            break;
        }
        case 4:  // mirror
            m_bFlipHorizontal = !m_bFlipHorizontal;
            Run({}, {&rotate});
            PaintNow();
            break;
        case 5:  // upside-down: the turn applied twice
            m_bFlipVertical = !m_bFlipHorizontal;
            Run({}, {&rotate, &rotate});
            PaintNow();
            break;
        default:
            break;
    }
}

void CTransitionStatic::Reset() {
    m_bmpDisplay.CopyFrom(&m_bmpSource);
}

// Starts again from the loaded picture and runs over it the filters before, the mirror as the
// flags stand now, and the filters after.
void CTransitionStatic::Run(std::initializer_list<const CImageFilter*> before,
                            std::initializer_list<const CImageFilter*> after, bool mirror) {
    Reset();
    const CFlipFilter flip(m_bFlipHorizontal, m_bFlipVertical);
    std::vector<const CImageFilter*> chain(before);
    if (mirror) {
        chain.push_back(&flip);
    }
    chain.insert(chain.end(), after);
    m_bmpDisplay.ApplyFilters(chain);
}

// At least 150 ms, in which the dialog handles what is pending twice.
void CTransitionStatic::Pause() {
    QThread::msleep(50);
    QCoreApplication::processEvents();
    QThread::msleep(100);
    QCoreApplication::processEvents();
}
