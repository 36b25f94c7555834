#pragma once

#include "controls/canvas.h"
#include "controls/gdi.h"

// Where the closing effect draws: a canvas over a part of the screen, in screen coordinates,
// whose drawings are shown on Flush. The effect inverts pixels of it and leaves it as it was.
class EffectScreen {
public:
    virtual ~EffectScreen() = default;

    // The canvas over `area` (screen coordinates), its window origin at the area's corner.
    virtual Canvas& Open(const Rect& area) = 0;
    // Shows at once what was drawn since the last flush.
    virtual void Flush() = 0;
    virtual void Sleep(int milliseconds) = 0;
    // Ends the drawing; the screen shows what it showed before Open.
    virtual void Close() = 0;
};
