#include "app/dialogfont.h"

#include <QFontMetrics>
#include <QStringList>

QFont DialogFont() {
    QFont font;
    font.setFamilies(QStringList{"SimSun", "AR PL UMing CN", "AR PL UMing TW"});
    font.setPointSize(9);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    return BaseUnitsOf(
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"),
        metrics.height());
}
