// Shows the dialog's controls in a window of their own, to look at them; not part of the
// product.
//
// usage: sortune_controls_gallery
//
// Two check boxes (one disabled), the yellow expand button, and the Open button with the
// triangular recent-folders button in its cut-off corner, laid out as in the dialog.

#include <QApplication>
#include <QLabel>
#include <QPolygon>
#include <QWidget>

#include "controls/expandbutton.h"
#include "controls/shadecheckbox.h"
#include "controls/shapedbutton.h"
#include "controls/syscolor.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle("controls");
    // The dialog's Song font, its own bitmaps at this size as on the system it was drawn for.
    QFont font("AR PL UMing CN", 9);
    font.setStyleStrategy(QFont::NoAntialias);
    window.setFont(font);
    window.resize(260, 120);

    CExpandButton expand(&window);
    expand.setGeometry(5, 21, 10, 9);
    expand.PreSubclassWindow();
    expand.SetFaceColor(RGB(255, 255, 0));
    QLabel state(&window);
    state.setGeometry(40, 16, 100, 16);
    QObject::connect(&expand, &QAbstractButton::clicked,
                     [&] { state.setText(expand.IsExpanded() ? "hiding" : "showing"); });

    CShadeCheckBox subfolders(&window);
    subfolders.setText("查找所有子目录(&P)");
    subfolders.setGeometry(21, 39, 122, 15);
    subfolders.SetCheck(1);
    CShadeCheckBox artists(&window);
    artists.setText("按歌手名建立目录(&G)");
    artists.setGeometry(21, 62, 132, 15);
    artists.SetCheck(2);
    CShadeCheckBox disabled(&window);
    disabled.setText("Disabled(&D)");
    disabled.setGeometry(21, 85, 132, 15);
    disabled.SetCheck(1);
    disabled.setEnabled(false);

    const int w = 46;
    const int h = 24;
    const int half = h / 2;
    const int k = w - half;
    const QPoint r(200, 5);
    const COLORREF face = GetSysColor(window.palette(), COLOR_BTNFACE);
    CShapedButton open;
    open.CreateShaped("Open", WS_CHILD | WS_VISIBLE, r.x(), r.y(),
                      QRegion(QPolygon({QPoint(0, 0), QPoint(w, 0), QPoint(w, half - 2),
                                        QPoint(k - 2, h), QPoint(0, h)})),
                      &window, 1025, 1, face, face, face, face);
    CShapedButton recent;
    recent.CreateShaped("", WS_CHILD | WS_VISIBLE, r.x() + k + 1, r.y() + h - half + 1,
                        QRegion(QPolygon({QPoint(w, half), QPoint(w, h), QPoint(k, h)})), &window,
                        1026, 1, RGB(247, 251, 255), RGB(0, 255, 0), RGB(0, 255, 0), face);

    window.show();
    return application.exec();
}
