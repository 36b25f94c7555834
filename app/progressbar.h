#pragma once

#include "controls/gdi.h"

// The main dialog's progress bar, painted where the template's item 1017 lies: a one-pixel
// outline, a light inside and, while files are handled, a green bar growing from the left.
// A full bar leaves one pixel of the inside free at the left, top and bottom and two at the
// right.

constexpr COLORREF kProgressOutline = RGB(16, 73, 123);
constexpr COLORREF kProgressInside = RGB(247, 251, 255);
constexpr COLORREF kProgressBar = RGB(90, 255, 57);

struct ProgressBarRects {
    Rect outline;  // drawn one pixel wide on its outermost pixels
    Rect inside;   // filled
    Rect bar;      // filled over the inside; empty for no bar
};

// The rectangles for `pos` files of `total` painted on `outer`. With `total` 0 there is no
// bar (the engine never sets a position without its total).
ProgressBarRects ProgressBarOf(const Rect& outer, int pos, int total);
