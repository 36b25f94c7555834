#include "resources/appicons.h"

#include <QFile>
#include <QString>

// The resources of a static library are registered when first used, not by chance of the
// linker. (The macro declares a function, so it stays outside any namespace.)
static bool RegisterIconData() {
    Q_INIT_RESOURCE(appicons);
    return true;
}

namespace {

void RegisterIcons() {
    static const bool registered = RegisterIconData();
    (void)registered;
}

QString IconPath(int id, int size) {
    return QString(":/icons/%1-%2.png").arg(id).arg(size);
}

}  // namespace

namespace resources {

QIcon LoadAppIcon(int id) {
    RegisterIcons();
    QIcon icon;
    for (const int size : {16, 32}) {
        if (QFile::exists(IconPath(id, size))) {
            icon.addFile(IconPath(id, size), QSize(size, size));
        }
    }
    return icon;
}

QImage LoadAppIconImage(int id, int size) {
    RegisterIcons();
    return QImage(IconPath(id, size)).convertToFormat(QImage::Format_ARGB32);
}

}  // namespace resources
