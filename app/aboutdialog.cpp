#include "app/aboutdialog.h"

#include "app/dialogfont.h"
#include "app/dialogtemplates.h"
#include "resources/appicons.h"

namespace {

QRect PlaceOf(int id, DialogBaseUnits base) {
    const DialogRect rect = AboutDialogTemplate().ItemRect(id, base);
    return {rect.x, rect.y, rect.cx, rect.cy};
}

QString TextOf(int id) {
    return QString::fromUtf8(AboutDialogTemplate().Item(id).text);
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(DialogFont());
    const DialogBaseUnits base = BaseUnitsOf(font());
    const DialogTemplate& layout = AboutDialogTemplate();
    setWindowTitle(QString::fromUtf8(layout.caption));
    const DialogRect client = layout.ClientRect(base);
    setFixedSize(client.cx, client.cy);

    // An icon static takes the size of its icon.
    m_icon.setPixmap(QPixmap::fromImage(resources::LoadAppIconImage(128, 32)));
    m_icon.setGeometry(QRect(PlaceOf(IDC_ABOUT_ICON, base).topLeft(), QSize(32, 32)));
    for (const auto& [label, id] :
         {std::pair{&m_name, IDC_ABOUT_NAME}, std::pair{&m_notice, IDC_ABOUT_NOTICE}}) {
        label->setTextFormat(Qt::PlainText);
        label->setText(TextOf(id));
        label->setGeometry(PlaceOf(id, base));
    }
    m_ok.setText(TextOf(IDC_ABOUT_OK));
    m_ok.setGeometry(PlaceOf(IDC_ABOUT_OK, base));
    m_ok.setDefault(true);
    connect(&m_ok, &QPushButton::clicked, this, &QDialog::accept);
}
