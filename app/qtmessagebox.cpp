#include "app/qtmessagebox.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QMessageBox::Icon IconOf(unsigned type) {
    switch (type & 0xF0) {
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONEXCLAMATION:
            return QMessageBox::Warning;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

QtMessageBox::QtMessageBox() {
    SetMessageBoxHost(this);
}

QtMessageBox::~QtMessageBox() {
    SetMessageBoxHost(nullptr);
}

int QtMessageBox::Show(const std::string& text, unsigned type) {
    const bool question = (type & 0xF) == MB_YESNO;
    QMessageBox box(IconOf(type), QApplication::applicationName(), QString::fromStdString(text),
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    QApplication::activeWindow());
    const int chosen = box.exec();
    if (question) {
        return chosen == QMessageBox::Yes ? IDYES : IDNO;
    }
    return IDOK;
}
