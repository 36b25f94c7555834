#include "app/dialogunits.h"

#include "platform/muldiv.h"

DialogBaseUnits BaseUnitsOf(int alphabetWidth, int height) {
    return {(alphabetWidth / 26 + 1) / 2, height};
}

DialogRect MapDialogRect(const DialogRect& units, DialogBaseUnits base) {
    return {MulDiv(units.x, base.x, 4), MulDiv(units.y, base.y, 8), MulDiv(units.cx, base.x, 4),
            MulDiv(units.cy, base.y, 8)};
}
