#include "app/progressbar.h"

ProgressBarRects ProgressBarOf(const Rect& outer, int pos, int total) {
    const Rect inside{outer.left + 1, outer.top + 1, outer.right - 1, outer.bottom - 1};
    Rect bar;
    if (pos != 0 && total != 0) {
        const double width = static_cast<double>(inside.right - inside.left - 2) * pos / total;
        bar = {inside.left + 1, inside.top + 1, inside.left + static_cast<int>(width),
               inside.bottom - 1};
    }
    return {outer, inside, bar};
}
