#pragma once

#include "controls/canvas.h"
#include "controls/gdi.h"

// What an owner-drawn control is asked to draw: the canvas, the control's rectangle (from
// 0, 0) and the state it is in.
constexpr unsigned ODS_SELECTED = 0x0001;  // held down
constexpr unsigned ODS_DISABLED = 0x0004;
constexpr unsigned ODS_FOCUS = 0x0010;
constexpr unsigned ODS_NOFOCUSRECT = 0x0200;  // focused, but not by the keyboard: no frame

struct DrawItemStruct {
    Canvas* dc = nullptr;
    Rect rcItem;
    unsigned itemState = 0;
};
