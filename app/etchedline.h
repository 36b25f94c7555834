#pragma once

#include <QWidget>

// The dialog's etched horizontal line: a row in the shadow colour over a row in the
// highlight colour, along the top of its place.
class EtchedLine : public QWidget {
public:
    explicit EtchedLine(QWidget* parent = nullptr) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent* event) override;
};
