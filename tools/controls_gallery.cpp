// Shows the dialog's controls in a window of their own, to look at them; not part of the
// product.
//
// usage: sortune_controls_gallery [--close-effect FIGURE [PLAYS]]
//
// Two check boxes (one disabled), the yellow expand button, the Open button with the
// triangular recent-folders button in its cut-off corner, laid out as in the dialog, and the
// picture, which plays an effect when clicked. With --close-effect the window closes after a
// second and the closing effect plays figure FIGURE (0 to 4, -1 at random) PLAYS times (1)
// on its former rectangle.

#include <QApplication>
#include <QLabel>
#include <QPolygon>
#include <QTimer>
#include <QWidget>

#include "controls/expandbutton.h"
#include "controls/shadecheckbox.h"
#include "controls/shapedbutton.h"
#include "controls/spinrecteffect.h"
#include "controls/syscolor.h"
#include "controls/transitionstatic.h"
#include "resources/appicons.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle("controls");
    // The dialog's Song font, its own bitmaps at this size as on the system it was drawn for.
    QFont font("AR PL UMing CN", 9);
    font.setStyleStrategy(QFont::NoAntialias);
    window.setFont(font);
    window.setGeometry(300, 250, 260, 120);

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

    CTransitionStatic picture(&window);
    picture.setGeometry(200, 50, 48, 48);
    picture.LoadPicture();
    QObject::connect(&picture, &CTransitionStatic::clicked, &picture,
                     &CTransitionStatic::PlayRandomEffect);
    window.setWindowIcon(resources::LoadAppIcon(128));

    window.show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() >= 3 && arguments[1] == "--close-effect") {
        const int figure = arguments[2].toInt();
        const int plays = arguments.size() >= 4 ? arguments[3].toInt() : 1;
        QTimer::singleShot(1000, [&] {
            const QRect frame = window.frameGeometry();
            window.close();
            QCoreApplication::processEvents();
            for (int play = 0; play < plays; ++play) {
                CSpinRectEffect effect;
                effect.SetFigure(figure);
                effect.Play({frame.left(), frame.top(), frame.left() + frame.width(),
                             frame.top() + frame.height()});
            }
            QCoreApplication::quit();
        });
    }
    return application.exec();
}
