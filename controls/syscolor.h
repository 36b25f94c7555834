#pragma once

#include <QPalette>

#include "controls/gdi.h"

// The system colours the controls are drawn in, taken from a Qt palette: the palette a
// widget has stands for the colours of the system, and a change of palette for a change of
// system colours.
enum SysColor {
    COLOR_WINDOWFRAME = 6,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_BTNTEXT = 18,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
};

COLORREF GetSysColor(const QPalette& palette, SysColor index);
