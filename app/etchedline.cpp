#include "app/etchedline.h"

#include <QPainter>

#include "controls/canvas.h"
#include "controls/syscolor.h"

void EtchedLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(0, 0, width(), 1, ToQColor(GetSysColor(palette(), COLOR_BTNSHADOW)));
    painter.fillRect(0, 1, width(), 1, ToQColor(GetSysColor(palette(), COLOR_BTNHIGHLIGHT)));
}
