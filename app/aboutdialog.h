#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

// The about box: the program's icon, name and version, a line on what it does, and an OK
// button; OK or Escape closes it.
class AboutDialog : public QDialog {
public:
    explicit AboutDialog(QWidget* parent = nullptr);

private:
    QLabel m_icon{this};
    QLabel m_name{this};
    QLabel m_notice{this};
    QPushButton m_ok{this};
};
