#include "controls/syscolor.h"

namespace {

QPalette::ColorRole RoleOf(SysColor index) {
    switch (index) {
        case COLOR_WINDOWFRAME:
            return QPalette::WindowText;
        case COLOR_BTNFACE:
            return QPalette::Button;
        case COLOR_BTNSHADOW:
            return QPalette::Dark;
        case COLOR_BTNTEXT:
            return QPalette::ButtonText;
        case COLOR_BTNHIGHLIGHT:
            return QPalette::Light;
        case COLOR_3DDKSHADOW:
            return QPalette::Shadow;
    }
    return QPalette::Button;
}

}  // namespace

COLORREF GetSysColor(const QPalette& palette, SysColor index) {
    const QColor color = palette.color(QPalette::Active, RoleOf(index));
    return RGB(color.red(), color.green(), color.blue());
}
