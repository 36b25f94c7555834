#pragma once

#include <string>
#include <vector>

#include <QImage>
#include <QPalette>
#include <QTest>
#include <QWidget>

#include "controls/gdi.h"

// Helpers of the widget tests: a palette of known system colours, a shown window, and
// pictures read as rows of letters.

namespace guitest {

constexpr COLORREF kFace = RGB(212, 208, 200);       // button face
constexpr COLORREF kShadow = RGB(128, 128, 128);     // button shadow
constexpr COLORREF kDarkShadow = RGB(64, 64, 64);    // 3-D dark shadow
constexpr COLORREF kHighlight = RGB(255, 255, 255);  // button highlight
constexpr COLORREF kWindowFrame = RGB(0, 0, 32);     // window frame
constexpr COLORREF kButtonText = RGB(0, 0, 0);

inline QColor ToQColor(COLORREF color) {
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

inline COLORREF ColorAt(const QImage& image, int x, int y) {
    const QRgb rgb = image.pixel(x, y);
    return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

// System colours with a distinct value for each role the controls use.
inline QPalette TestPalette(COLORREF face = kFace) {
    QPalette palette;
    palette.setColor(QPalette::Button, ToQColor(face));
    palette.setColor(QPalette::Dark, ToQColor(kShadow));
    palette.setColor(QPalette::Shadow, ToQColor(kDarkShadow));
    palette.setColor(QPalette::Light, ToQColor(kHighlight));
    palette.setColor(QPalette::WindowText, ToQColor(kWindowFrame));
    palette.setColor(QPalette::ButtonText, ToQColor(kButtonText));
    return palette;
}

// Shows a top-level window and waits until it is on the screen and active.
inline bool ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowExposed(&window) && QTest::qWaitForWindowActive(&window);
}

struct Legend {
    char letter;
    COLORREF color;
};

// A block of a picture as rows of letters, one per pixel; '?' for a colour not in the
// legend.
inline std::vector<std::string> Letters(const QImage& image, int left, int top, int width,
                                        int height, const std::vector<Legend>& legend) {
    std::vector<std::string> rows;
    for (int y = top; y < top + height; ++y) {
        std::string row;
        for (int x = left; x < left + width; ++x) {
            char letter = '?';
            for (const Legend& entry : legend) {
                if (ColorAt(image, x, y) == entry.color) {
                    letter = entry.letter;
                    break;
                }
            }
            row += letter;
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace guitest
