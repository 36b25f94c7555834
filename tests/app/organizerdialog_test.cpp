// The dialog driven as a user drives it, on Qt's offscreen platform: its window opened with
// DoModal, its controls clicked, its menus and pickers answered when they appear.

#include "app/organizerdialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "app/aboutdialog.h"
#include "app/dialogtemplates.h"
#include "app/progressbar.h"
#include "app/recentmenu.h"
#include "app/shellextension.h"
#include "platform/codepage.h"
#include "platform/profile.h"
#include "resources/appicons.h"
#include "resources/embeddedresource.h"
#include "tests/support/fileio.h"
#include "tests/support/formatwriter.h"
#include "tests/support/guitest.h"
#include "tests/support/mp3writer.h"
#include "tests/support/recordingmessagebox.h"
#include "tests/support/scopedconfighome.h"
#include "tests/support/scopedvariable.h"
#include "tests/support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr int kCollapsed = 35;  // the toggle's bottom (21 + 9) and 5 pixels
constexpr int kExpanded = 87;   // the template's 58 units

// The icon a button shows, by id; -1 for another.
int IconIdOf(const QWidget* widget) {
    const auto* button = qobject_cast<const QAbstractButton*>(widget);
    const QImage shown =
        button->icon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
    for (int id = 128; id <= 137; ++id) {
        const QImage icon = resources::LoadAppIconImage(id, 32);
        if (!icon.isNull() && icon.convertToFormat(QImage::Format_ARGB32) == shown) {
            return id;
        }
    }
    return -1;
}

// A point inside a control, the triangle of the recent-folders button and the Open button
// without its corner alike.
QPoint Inside(const QWidget* widget) {
    return {widget->width() * 3 / 4, widget->height() * 3 / 4};
}

void Click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, Inside(widget));
}

// Closing effects recorded instead of drawn: the area each opened.
class RecordingScreen : public EffectScreen {
public:
    explicit RecordingScreen(std::vector<Rect>& opened) : m_opened(opened) {}
    Canvas& Open(const Rect& area) override {
        m_opened.push_back(area);
        m_canvas = Canvas(area.Width(), area.Height());
        m_canvas.SetWindowOrg({area.left, area.top});
        return m_canvas;
    }
    void Flush() override {}
    void Sleep(int) override {}
    void Close() override {}

private:
    std::vector<Rect>& m_opened;
    Canvas m_canvas;
};

// A dialog whose progress redraws can act in the middle of a pass: `atFile` runs once, when
// the bar is drawn for that file.
class ActingDialog : public OrganizerDialog {
public:
    using OrganizerDialog::DrawProgress;
    using OrganizerDialog::OrganizerDialog;

    void DrawProgress(int pos, int total) override {
        OrganizerDialog::DrawProgress(pos, total);
        if (pos == m_nActAt && m_act) {
            std::exchange(m_act, nullptr)();
        }
    }

    int m_nActAt = 0;
    std::function<void()> m_act;
};

// The settings of a user who has run the program before: the menu extension registered, so
// that a start of the dialog registers the same again and has no menus to publish.
class RegisteredConfigHome : public ScopedConfigHome {
public:
    RegisteredConfigHome() {
        static const std::string registered = [] {
            const ScopedConfigHome first;
            RegisterShellExtension();
            return ReadFile(first.HiveFile("HKEY_CLASSES_ROOT"));
        }();
        fs::create_directories(RegistryFolder());
        WriteFile(HiveFile("HKEY_CLASSES_ROOT"), registered);
    }
};

class OrganizerDialogTest : public ::testing::Test {
protected:
    OrganizerDialogTest() : m_converter(m_tables) {
        m_tables.Load(resources::FindResource);
        m_dialog.SetEffectScreenFactory(
            [this] { return std::make_unique<RecordingScreen>(m_effects); });
    }

    // Runs `steps` as soon as the dialog's loop runs, then the dialog's own end (or a close
    // when the steps leave it open). Returns what DoModal returned.
    int RunDialog(std::function<void()> steps, bool close = true) {
        QTimer::singleShot(0, &m_dialog, [this, steps = std::move(steps), close] {
            steps();
            if (close) {
                m_dialog.close();
            }
        });
        return m_dialog.DoModal();
    }

    // Calls `act` with the modal dialog (or the popup menu) of type T once one is shown.
    template <typename T>
    void WhenShown(std::function<void(T*)> act) {
        auto& timer = m_timers.emplace_back(std::make_unique<QTimer>());
        QTimer* poll = timer.get();
        QObject::connect(poll, &QTimer::timeout, [poll, act = std::move(act)] {
            QWidget* shown = QApplication::activePopupWidget();
            if (shown == nullptr) {
                shown = QApplication::activeModalWidget();
            }
            if (auto* wanted = dynamic_cast<T*>(shown); wanted != nullptr && wanted->isVisible()) {
                poll->stop();
                act(wanted);
            }
        });
        poll->start(10);
    }

    void Song(const std::string& folder, const std::string& name, const std::string& title) {
        fs::create_directories(folder);
        Mp3Fixture song;
        song.id3v1.emplace();
        song.id3v1->title = codepage::Utf8ToCp936(title);
        ASSERT_TRUE(WriteMp3(folder + "/" + name, song));
    }
    // `count` songs named track01.mp3 ... titled 歌1 ...
    void Songs(const std::string& folder, int count) {
        for (int i = 1; i <= count; ++i) {
            Song(folder, "track" + std::to_string(100 + i).substr(1) + ".mp3",
                 "歌" + std::to_string(i));
        }
    }
    static std::vector<std::string> Names(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static int CountRenamed(const std::string& folder) {
        int renamed = 0;
        for (const std::string& name : Names(folder)) {
            renamed += name.starts_with("歌") ? 1 : 0;
        }
        return renamed;
    }
    static void StoreRecent(const std::vector<std::string>& folders) {
        for (std::size_t i = 0; i < folders.size(); ++i) {
            WriteProfileString("Set", "path" + std::to_string(i), folders[i]);
        }
    }
    std::string Caption() const { return m_dialog.windowTitle().toStdString(); }
    // A right click on the dialog, as the window system reports it.
    static void RightClick(QDialog& dialog) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(100, 30),
                                dialog.mapToGlobal(QPoint(100, 30)));
        QApplication::sendEvent(&dialog, &event);
    }
    // The undo item of the context menu: whether it was enabled, choosing it when it was.
    void WhenUndoOffered(bool& enabled) {
        WhenShown<QMenu>([&enabled](QMenu* menu) {
            QAction* undo = menu->actions().value(0);
            enabled = undo->isEnabled() && undo->text() == "撤销上次整理(&U)";
            if (enabled) {
                QTest::keyClick(menu, Qt::Key_U);
            } else {
                menu->close();
            }
        });
    }
    QWidget* Item(int id) { return m_dialog.GetDlgItem(id); }

    RegisteredConfigHome m_config;
    ScopedVariable m_lang{"LANG", "zh_CN.UTF-8"};
    ScopedVariable m_all{"LC_ALL", std::nullopt};
    ScopedVariable m_ctype{"LC_CTYPE", std::nullopt};
    TempDir m_music;
    ConversionTables m_tables;
    ChineseConverter m_converter;
    std::vector<Rect> m_effects;
    std::vector<std::unique_ptr<QTimer>> m_timers;
    SettingsStore m_settings;  // the registry of the test's settings folder
    ActingDialog m_dialog{m_converter, m_settings};
};

TEST_F(OrganizerDialogTest, OpensCollapsedAndTheToggleShowsAndHidesTheOptions) {
    std::vector<int> heights;
    RunDialog([&] {
        heights.push_back(m_dialog.height());
        for (int press = 0; press < 3; ++press) {
            Click(Item(IDC_OPTIONS));
            heights.push_back(m_dialog.height());
        }
        EXPECT_EQ(m_dialog.width(), 252);
        EXPECT_EQ(Caption(), "Mp3名称整理");
        EXPECT_EQ(Item(IDC_OPEN)->geometry(), QRect(201, 5, 47, 24));
        EXPECT_EQ(Item(IDC_RECENT)->pos(), QPoint(237, 18));  // in the Open button's corner
        EXPECT_EQ(Item(IDC_PICTURE)->geometry(), QRect(200, 42, 32, 32));
        EXPECT_EQ(Item(IDC_OPTIONS)->geometry(), QRect(5, 21, 23, 9));
        m_dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_dialog));
        Item(IDC_SUBFOLDERS)->setFocus();
        QTest::keyClick(&m_dialog, Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), Item(IDC_ARTIST_DIRS));
        QTest::keyClick(&m_dialog, Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), Item(IDC_OPTIONS));
    });
    EXPECT_THAT(heights, ElementsAre(kCollapsed, kExpanded, kCollapsed, kExpanded));
}

TEST_F(OrganizerDialogTest, ReadsTheOptionsAndStoresEachPressAtOnce) {
    struct Case {
        int stored;      // -1: never stored
        int shown;       // the check box's state at the start
        int afterPress;  // stored after one press
    };
    const Case cases[] = {{-1, 0, 1}, {0, 0, 1}, {1, 1, 0}, {2, 2, 0}};
    for (const Case& c : cases) {
        const RegisteredConfigHome config;
        if (c.stored >= 0) {
            WriteProfileInt("Set", "FindPath", c.stored);
            WriteProfileInt("Set", "Artist_dir", c.stored);
        }
        ActingDialog dialog(m_converter, m_settings);
        std::vector<int> states;
        QTimer::singleShot(0, &dialog, [&] {
            for (const int id : {IDC_SUBFOLDERS, IDC_ARTIST_DIRS}) {
                auto* box = static_cast<CShadeCheckBox*>(dialog.GetDlgItem(id));
                states.push_back(box->GetCheck());
                Click(box);
                states.push_back(box->GetCheck());
            }
            dialog.close();
        });
        dialog.DoModal();
        EXPECT_THAT(states, ElementsAre(c.shown, c.afterPress, c.shown, c.afterPress)) << c.stored;
        EXPECT_EQ(GetProfileInt("Set", "FindPath", 9), static_cast<unsigned>(c.afterPress));
        EXPECT_EQ(GetProfileInt("Set", "Artist_dir", 9), static_cast<unsigned>(c.afterPress));
        EXPECT_EQ(dialog.State().m_bSubfolders, c.afterPress);
        EXPECT_EQ(dialog.State().m_bArtistDirs, c.afterPress);
        EXPECT_FALSE(GetProfileString("Set", "ExePath").empty());
    }
}

TEST_F(OrganizerDialogTest, RefusesAnyLanguageButSimplifiedChineseBeforeTouchingTheSettings) {
    const ScopedVariable english("LANG", "en_US.UTF-8");
    const RecordingMessageBox boxes;
    EXPECT_EQ(m_dialog.DoModal(), QDialog::Rejected);
    EXPECT_THAT(boxes.texts, ElementsAre("Sorry, Only work GB2312!"));
    EXPECT_FALSE(fs::exists(m_config.HiveFile("HKEY_CURRENT_USER")));
    EXPECT_FALSE(m_dialog.isVisible());
}

TEST_F(OrganizerDialogTest, SetBusyDisablesWhatCouldStartARunButNeverTheOpenButton) {
    struct Case {
        int running;
        int setIcon;
        int icon;
        bool enabled;
    };
    const Case cases[] = {
        {1, 0, 130, false},  // a walk begins: the icon stays
        {1, 1, 131, false},  // the pass: the stop sign
        {0, 0, 131, true},
        {0, 1, 130, true},
    };
    RunDialog([&] {
        for (const Case& c : cases) {
            m_dialog.SetBusy(c.running, c.setIcon);
            EXPECT_EQ(IconIdOf(Item(IDC_OPEN)), c.icon) << c.running << c.setIcon;
            EXPECT_TRUE(Item(IDC_OPEN)->isEnabled());
            for (const int id : {IDC_SUBFOLDERS, IDC_ARTIST_DIRS, IDC_RECENT}) {
                EXPECT_EQ(Item(id)->isEnabled(), c.enabled) << id;
            }
        }
    });
}

TEST_F(OrganizerDialogTest, TheBusyAnimationRunsThroughItsSixFrames) {
    std::vector<int> frames;
    RunDialog([&] {
        m_dialog.StartBusyTimer();
        for (int tick = 0; tick < 7; ++tick) {
            const int before = IconIdOf(Item(IDC_OPEN));
            ASSERT_TRUE(QTest::qWaitFor([&] { return IconIdOf(Item(IDC_OPEN)) != before; }));
            frames.push_back(IconIdOf(Item(IDC_OPEN)));
        }
        m_dialog.KillBusyTimer();
        QTest::qWait(250);
        EXPECT_EQ(IconIdOf(Item(IDC_OPEN)), frames.back());
    });
    EXPECT_THAT(frames, ElementsAre(133, 134, 135, 136, 137, 132, 133));
}

// Item 1017 is 8, 8 to 191, 19; inside it 9, 9 to 190, 18, the bar from 10, 10.
TEST_F(OrganizerDialogTest, TheProgressBarIsPaintedWhereItsItemLies) {
    const COLORREF bar = kProgressBar;
    const COLORREF in = kProgressInside;
    const COLORREF line = kProgressOutline;
    struct Case {
        int pos;
        int total;
        std::vector<COLORREF> row;     // y 13 at x 8, 9, 10, 97, 98, 187, 188, 189, 190
        std::vector<COLORREF> column;  // x 50 at y 8, 9, 10, 16, 17, 18
    };
    const Case cases[] = {
        {0, 0, {line, in, in, in, in, in, in, in, line}, {line, in, in, in, in, line}},
        {10, 10, {line, in, bar, bar, bar, bar, in, in, line}, {line, in, bar, bar, in, line}},
        {1, 2, {line, in, bar, bar, in, in, in, in, line}, {line, in, bar, bar, in, line}},
    };
    RunDialog([&] {
        for (const Case& c : cases) {
            m_dialog.DrawProgress(c.pos, c.total, 0);
            const QImage image = m_dialog.grab().toImage();
            std::vector<COLORREF> row;
            for (const int x : {8, 9, 10, 97, 98, 187, 188, 189, 190}) {
                row.push_back(guitest::ColorAt(image, x, 13));
            }
            std::vector<COLORREF> column;
            for (const int y : {8, 9, 10, 16, 17, 18}) {
                column.push_back(guitest::ColorAt(image, 50, y));
            }
            EXPECT_EQ(row, c.row) << c.pos << "/" << c.total;
            EXPECT_EQ(column, c.column) << c.pos << "/" << c.total;
        }
    });
}

// The pixels of the bar's inside that are neither its background nor the bar: the text.
QImage StateText(const QImage& dialog) {
    QImage text = dialog.copy(9, 9, 181, 9);
    for (int y = 0; y < text.height(); ++y) {
        for (int x = 0; x < text.width(); ++x) {
            const COLORREF color = guitest::ColorAt(text, x, y);
            const bool plain = color == kProgressInside || color == kProgressBar;
            text.setPixel(x, y, plain ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        }
    }
    return text;
}

bool HasText(const QImage& text) {
    QImage blank(text.size(), text.format());
    blank.fill(qRgb(255, 255, 255));
    return text != blank;
}

// The caption is cut short by the window managers' title bars: the state it says of the run
// is written over the progress bar too, during the run and after it, on the outline's inside.
TEST_F(OrganizerDialogTest, TheRunStateIsWrittenOverTheBarDuringAndAfterTheRun) {
    Songs(m_music / "five", 5);
    Songs(m_music / "two", 2);
    QImage before;
    QImage during;
    QImage afterFive;
    QImage afterTwo;
    m_dialog.m_nActAt = 3;
    m_dialog.m_act = [&] { during = m_dialog.grab().toImage(); };
    RunDialog([&] {
        before = m_dialog.grab().toImage();
        m_dialog.StartRun(m_music / "five");
        afterFive = m_dialog.grab().toImage();
        m_dialog.StartRun(m_music / "two");
        afterTwo = m_dialog.grab().toImage();
    });
    EXPECT_FALSE(HasText(StateText(before)));
    EXPECT_TRUE(HasText(StateText(during)));
    EXPECT_TRUE(HasText(StateText(afterFive)));
    EXPECT_NE(StateText(afterFive), StateText(afterTwo)) << "the count is what is written";
    EXPECT_EQ(Caption(), "mp3名称整理 - 2个文件整理完毕");
    for (const int x : {8, 50, 120, 190}) {  // the outline stays whole
        EXPECT_EQ(guitest::ColorAt(afterFive, x, 8), kProgressOutline) << x;
        EXPECT_EQ(guitest::ColorAt(afterFive, x, 18), kProgressOutline) << x;
    }
}

// The shaped buttons are no tab stops; Ctrl+O does what the Open button does.
TEST_F(OrganizerDialogTest, CtrlOPicksAFolderAndRunsItAsTheOpenButtonDoes) {
    Songs(m_music / "pop", 2);
    m_dialog.State().m_strLastFolder = m_music / "pop";
    bool picked = false;
    WhenShown<QFileDialog>([&](QFileDialog* picker) {
        picked = true;
        static_cast<QDialog*>(picker)->accept();
    });
    RunDialog([&] {
        m_dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_dialog));
        QTest::keyClick(&m_dialog, Qt::Key_O, Qt::ControlModifier);
    });
    EXPECT_TRUE(picked);
    EXPECT_EQ(CountRenamed(m_music / "pop"), 2);
}

TEST_F(OrganizerDialogTest, TheRecentMenuListsTheStoredFoldersAndRunsTheOneChosen) {
    const std::string first = m_music / "first";
    const std::string second = m_music / "second";
    Songs(first, 2);
    Songs(second, 3);
    StoreRecent({first, second, "/gone"});
    QStringList labels;
    QPoint menuAt;
    WhenShown<QMenu>([&](QMenu* menu) {
        for (const QAction* action : menu->actions()) {
            labels << action->text();
        }
        menuAt = menu->pos();
        QTest::keyClick(menu, Qt::Key_B);
    });
    RunDialog([&] {
        Click(Item(IDC_RECENT));
        EXPECT_EQ(menuAt, Item(IDC_OPEN)->mapToGlobal(QPoint(0, 24)));
    });
    EXPECT_EQ(labels, QStringList({QString::fromStdString(first + "\t(&A)"),
                                   QString::fromStdString(second + "\t(&B)"), "/gone\t(&C)"}));
    EXPECT_EQ(CountRenamed(first), 0);
    EXPECT_EQ(CountRenamed(second), 3);
    EXPECT_EQ(Caption(), "mp3名称整理 - 3个文件整理完毕");
    EXPECT_EQ(GetProfileString("Set", "path0"), second);
    EXPECT_EQ(GetProfileString("Set", "path1"), first);
    EXPECT_EQ(m_dialog.State().m_strLastFolder, second);
}

TEST_F(OrganizerDialogTest, AMenuCommandRunsTheFolderStoredAtItsPlaceOrNothing) {
    Songs(m_music / "a", 1);
    StoreRecent({"", m_music / "a"});  // a gap: the second place holds the first folder
    RunDialog([&] {
        m_dialog.RunItem(kRecentCommandFirst + 1);
        EXPECT_EQ(m_dialog.State().m_nRenamed, 0);
        m_dialog.RunItem(kRecentCommandFirst);
        EXPECT_EQ(m_dialog.State().m_nRenamed, 1);
    });
    EXPECT_EQ(CountRenamed(m_music / "a"), 1);
}

// A folder stored twice (settings edited by hand) is listed once; each command runs the folder
// its menu item shows.
TEST_F(OrganizerDialogTest, AMenuCommandRunsTheFolderItsItemShowsWhenOneIsStoredTwice) {
    Songs(m_music / "a", 1);
    Songs(m_music / "b", 2);
    StoreRecent({m_music / "a", m_music / "a", m_music / "b"});
    RunDialog([&] { m_dialog.RunItem(kRecentCommandFirst + 1); });
    EXPECT_EQ(CountRenamed(m_music / "a"), 0);
    EXPECT_EQ(CountRenamed(m_music / "b"), 2);
}

TEST_F(OrganizerDialogTest, WithoutRecentFoldersTheRecentButtonPicksAFolderAsOpenDoes) {
    Songs(m_music / "pop", 2);
    m_dialog.State().m_strLastFolder = m_music / "pop" + "  \t";
    QString title;
    QStringList selected;
    WhenShown<QFileDialog>([&](QFileDialog* picker) {
        title = picker->windowTitle();
        selected = picker->selectedFiles();
        static_cast<QDialog*>(picker)->accept();  // what OK does
    });
    RunDialog([&] { Click(Item(IDC_RECENT)); });
    EXPECT_EQ(title, "请选择要整理的MP3文件夹:");
    EXPECT_EQ(selected, QStringList(QString::fromStdString(m_music / "pop")));
    EXPECT_EQ(CountRenamed(m_music / "pop"), 2);
    EXPECT_EQ(GetProfileString("Set", "path0"), m_music / "pop");
}

// Before the first run the picker starts at the user's music folder, else at home.
TEST_F(OrganizerDialogTest, ThePickerFirstSelectsTheMusicFolderAndCancellingItRunsNothing) {
    const ScopedVariable home("HOME", m_music.path());
    Songs(m_music / "音乐", 1);
    const std::pair<const char*, std::string> cases[] = {
        {"", m_music.path()},
        {"XDG_MUSIC_DIR=\"$HOME/音乐\"\n", m_music / "音乐"},
    };
    for (const auto& [dirs, music] : cases) {
        WriteFile(m_config.path() + "/user-dirs.dirs", dirs);
        ActingDialog dialog(m_converter, m_settings);
        QStringList selected;
        WhenShown<QFileDialog>([&](QFileDialog* picker) {
            selected = picker->selectedFiles();
            picker->reject();
        });
        QTimer::singleShot(0, &dialog, [&] {
            Click(dialog.GetDlgItem(IDC_OPEN));
            dialog.close();
        });
        dialog.DoModal();
        EXPECT_EQ(selected, QStringList(QString::fromStdString(music))) << dirs;
        EXPECT_EQ(dialog.windowTitle(), "Mp3名称整理");
    }
    EXPECT_EQ(CountRenamed(m_music / "音乐"), 0);
}

// A stop between two files: the files up to the one being handled are renamed, the rest
// keep their names, and the Open button shows the folder again.
TEST_F(OrganizerDialogTest, TheOpenButtonStopsARunBetweenTwoFiles) {
    Songs(m_music.path(), 6);
    StoreRecent({m_music.path()});
    m_dialog.m_nActAt = 3;
    m_dialog.m_act = [&] {
        EXPECT_EQ(IconIdOf(Item(IDC_OPEN)), 131);
        QTimer::singleShot(0, [&] { Click(Item(IDC_OPEN)); });
    };
    RunDialog([&] {
        m_dialog.RunItem(kRecentCommandFirst);
        EXPECT_EQ(IconIdOf(Item(IDC_OPEN)), 130);
        EXPECT_TRUE(Item(IDC_RECENT)->isEnabled());
    });
    EXPECT_EQ(CountRenamed(m_music.path()), 3);
    EXPECT_EQ(Caption(), "mp3名称整理 - 3个文件整理完毕");
    EXPECT_EQ(m_dialog.State().m_bRunning, 0);
}

// The key is pressed at the second file; the window is looked at by the fourth.
TEST_F(OrganizerDialogTest, EscapeStopsTheRunAndClosesEnterClosesAfterTheRun) {
    struct Case {
        Qt::Key key;
        int result;
        int renamed;
        bool shownLater;
    };
    const Case cases[] = {{Qt::Key_Escape, QDialog::Rejected, 2, false},
                          {Qt::Key_Return, QDialog::Accepted, 5, true}};
    for (const Case& c : cases) {
        const TempDir music;
        Songs(music.path(), 5);
        ActingDialog dialog(m_converter, m_settings);
        dialog.SetEffectScreenFactory(
            [this] { return std::make_unique<RecordingScreen>(m_effects); });
        bool shownLater = false;
        dialog.m_nActAt = 2;
        dialog.m_act = [&] {
            QTimer::singleShot(0, [&] { QTest::keyClick(&dialog, c.key); });
            dialog.m_nActAt = 4;
            dialog.m_act = [&] { shownLater = dialog.isVisible(); };
        };
        QTimer::singleShot(0, &dialog, [&] { dialog.StartRun(music.path()); });
        EXPECT_EQ(dialog.DoModal(), c.result) << c.key;
        EXPECT_EQ(CountRenamed(music.path()), c.renamed) << c.key;
        EXPECT_EQ(shownLater, c.shownLater) << c.key;
        EXPECT_FALSE(dialog.isVisible());
    }
}

// While an undo works its item is not offered; Enter then waits for the undo's end too.
TEST_F(OrganizerDialogTest, TheUndoIsNotOfferedWhileItWorks) {
    Songs(m_music.path(), 4);
    bool offered = true;
    const int result = RunDialog(
        [&] {
            m_dialog.StartRun(m_music.path());
            m_dialog.m_nActAt = 2;
            m_dialog.m_act = [&] {
                WhenUndoOffered(offered);
                RightClick(m_dialog);
                QTest::keyClick(&m_dialog, Qt::Key_Return);
                EXPECT_TRUE(m_dialog.isVisible());
            };
            m_dialog.OnUndo();
        },
        false);
    EXPECT_FALSE(offered);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(CountRenamed(m_music.path()), 0);
}

TEST_F(OrganizerDialogTest, TheClosingEffectPlaysAfterTenFilesOnThePlaceOfTheWindow) {
    for (const int files : {9, 10}) {
        const TempDir music;
        Songs(music.path(), files);
        std::vector<Rect> effects;
        ActingDialog dialog(m_converter, m_settings);
        dialog.SetEffectScreenFactory([&] { return std::make_unique<RecordingScreen>(effects); });
        QRect frame;
        QTimer::singleShot(0, &dialog, [&] {
            dialog.StartRun(music.path());
            frame = dialog.frameGeometry();
            dialog.close();
        });
        dialog.DoModal();
        EXPECT_EQ(dialog.State().m_nRenamed, files);
        ASSERT_EQ(effects.size(), files >= 10 ? 1U : 0U) << files;
        if (!effects.empty()) {
            // Whatever figure plays, it spins about the middle of the window's place (one
            // figure a few pixels off it).
            const Rect& area = effects[0];
            EXPECT_NEAR(area.left + area.right, 2 * frame.left() + frame.width(), 10);
            EXPECT_NEAR(area.top + area.bottom, 2 * frame.top() + frame.height(), 10);
        }
    }
}

// The file manager passes a file; its folder is organized and the window closes. Artist
// folders are never made from there, whatever the option says.
TEST_F(OrganizerDialogTest, ACommandLinePathIsOrganizedInPlaceAndTheDialogCloses) {
    WriteProfileInt("Set", "Artist_dir", 1);
    Mp3Fixture song;
    song.id3v1 =
        Id3v1Tag{.title = codepage::Utf8ToCp936("小雨"), .artist = codepage::Utf8ToCp936("歌手甲")};
    ASSERT_TRUE(WriteMp3(m_music / "track05.mp3", song));
    m_dialog.m_strStartFolder = m_music / "track05.mp3";
    bool waiting = false;
    QTimer::singleShot(0, &m_dialog, [&] {
        waiting = !Item(IDC_OPEN)->isEnabled() && !Item(IDC_RECENT)->isEnabled() &&
                  Item(IDC_SUBFOLDERS)->isEnabled();
    });
    EXPECT_EQ(m_dialog.DoModal(), QDialog::Rejected);
    EXPECT_EQ(m_dialog.ExitStatus(), 0);
    EXPECT_TRUE(waiting);
    EXPECT_THAT(Names(m_music.path()), ElementsAre("小雨.mp3"));
    EXPECT_EQ(m_dialog.State().m_bFromShell, 1);
    EXPECT_EQ(GetProfileString("Set", "path0"), m_music.path());
}

// A path that leads to no folder is said, in a box, and the program ends with status 1; so is
// a folder of the recent list that went away. Neither is run.
TEST_F(OrganizerDialogTest, AStartOnAPathThatLeadsToNoFolderIsSaidAndFails) {
    const std::string gone = m_music / "gone/song.mp3";
    struct Case {
        std::string start;  // "" for a run of the recent folder `gone`
        std::string said;
    };
    const Case cases[] = {
        {"a/b.mp3", "无法整理“a/b.mp3”"},
        {gone, "无法整理“" + gone + "”"},
        {"/", "拒绝整理根文件夹（“/”）"},
        {"", "无法整理“" + m_music / "gone" + "”"},
    };
    for (const Case& c : cases) {
        const RegisteredConfigHome config;
        StoreRecent({m_music / "gone"});
        const RecordingMessageBox boxes;
        ActingDialog dialog(m_converter, m_settings);
        dialog.m_strStartFolder = c.start;
        QTimer::singleShot(0, &dialog, [&] {
            if (c.start.empty()) {
                EXPECT_EQ(dialog.StartRun(m_music / "gone"), 1);
                dialog.close();
            }
        });
        EXPECT_EQ(dialog.DoModal(), QDialog::Rejected);
        ASSERT_EQ(boxes.texts.size(), 1U) << c.start;
        EXPECT_THAT(boxes.texts[0], HasSubstr(c.said));
        EXPECT_EQ(boxes.types[0], MB_OK | MB_ICONEXCLAMATION);
        EXPECT_EQ(dialog.ExitStatus(), c.start.empty() ? 0 : 1) << c.start;
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Mp3名称整理");
        EXPECT_EQ(GetProfileString("Set", "path0"), m_music / "gone");
    }
}

// The about box closes with its button or with Escape.
TEST_F(OrganizerDialogTest, TheContextMenuOpensTheAboutBox) {
    for (const bool escape : {true, false}) {
        QString item;
        WhenShown<QMenu>([&](QMenu* menu) {
            item = menu->actions().value(4)->text();  // after undo, two options, a separator
            QTest::keyClick(menu, Qt::Key_A);
        });
        QString caption;
        QStringList texts;
        QSize size;
        WhenShown<AboutDialog>([&](AboutDialog* about) {
            caption = about->windowTitle();
            size = about->size();
            for (const QLabel* label : about->findChildren<QLabel*>()) {
                texts << label->text();
            }
            if (escape) {
                QTest::keyClick(about, Qt::Key_Escape);
            } else {
                auto* ok = about->findChild<QPushButton*>();
                QTest::mouseClick(ok, Qt::LeftButton);
            }
        });
        ActingDialog dialog(m_converter, m_settings);
        QTimer::singleShot(0, &dialog, [&] {
            RightClick(dialog);
            EXPECT_TRUE(dialog.isVisible());
            dialog.close();
        });
        dialog.DoModal();
        EXPECT_EQ(item, "关于 sortune(&A)...");
        EXPECT_EQ(caption, "关于 sortune");
        EXPECT_EQ(size, QSize(353, 83));
        EXPECT_TRUE(texts.contains("sortune 1.0 版"));
    }
}

// Undo from the context menu: offered once a run changed something, taking it back with
// the caption telling how it went, and offered no more when nothing is left to take back.
TEST_F(OrganizerDialogTest, TheContextMenuTakesTheLatestRunBack) {
    Songs(m_music.path(), 3);
    const std::vector<std::string> before = Names(m_music.path());
    std::array<bool, 3> offered{};
    RunDialog([&] {
        WhenUndoOffered(offered[0]);
        RightClick(m_dialog);
        m_dialog.StartRun(m_music.path());
        EXPECT_THAT(Names(m_music.path()), ElementsAre("歌1.mp3", "歌2.mp3", "歌3.mp3"));
        WhenUndoOffered(offered[1]);
        RightClick(m_dialog);
        EXPECT_EQ(Caption(), "mp3名称整理 - 撤回 3，原已复原 0，跳过 0");
        WhenUndoOffered(offered[2]);
        RightClick(m_dialog);
    });
    EXPECT_THAT(offered, ElementsAre(false, true, false));
    EXPECT_EQ(Names(m_music.path()), before);
}

// The item beside the undo item turns the tag repair on for the window's runs, stored at once.
TEST_F(OrganizerDialogTest, TheContextMenuTurnsTheTagRepairOnAndOff) {
    Songs(m_music.path(), 2);
    std::vector<bool> checked;
    const auto toggle = [&] {
        WhenShown<QMenu>([&checked](QMenu* menu) {
            QAction* item = menu->actions().value(1);
            ASSERT_EQ(item->text(), "同时修复标签编码(&T)");
            checked.push_back(item->isChecked());
            QTest::keyClick(menu, Qt::Key_T);
        });
        RightClick(m_dialog);
    };
    RunDialog([&] {
        toggle();
        EXPECT_EQ(GetProfileInt("Set", "FixTags", 9), 1u);
        m_dialog.StartRun(m_music.path());
        toggle();
        EXPECT_EQ(GetProfileInt("Set", "FixTags", 9), 0u);
    });
    EXPECT_THAT(checked, ElementsAre(false, true));
    EXPECT_THAT(Names(m_music.path()), ElementsAre("歌1.mp3", "歌2.mp3"));
    // The repaired file starts with an ID3v2 tag now; its ID3v1 tag stays.
    EXPECT_TRUE(ReadFile(m_music / "歌1.mp3").starts_with("ID3\x03"));
}

// The item after it takes every audio format into the window's runs, stored at once; without
// it a folder of FLAC files is not "0 files" and nothing else.
TEST_F(OrganizerDialogTest, TheContextMenuTurnsAllFormatsOnAndOff) {
    ASSERT_TRUE(WriteSample(m_music / "a.flac", Sample::Flac, "吻别", ""));
    const RecordingMessageBox boxes;
    std::vector<bool> checked;
    const auto toggle = [&] {
        WhenShown<QMenu>([&checked](QMenu* menu) {
            QAction* item = menu->actions().value(2);
            ASSERT_EQ(item->text(), "整理所有音乐格式(&F)");
            checked.push_back(item->isChecked());
            QTest::keyClick(menu, Qt::Key_F);
        });
        RightClick(m_dialog);
    };
    RunDialog([&] {
        m_dialog.StartRun(m_music.path());
        EXPECT_THAT(Names(m_music.path()), ElementsAre("a.flac"));
        toggle();
        EXPECT_EQ(GetProfileInt("Set", "AllFormats", 9), 1u);
        m_dialog.StartRun(m_music.path());
        toggle();
        EXPECT_EQ(GetProfileInt("Set", "AllFormats", 9), 0u);
    });
    EXPECT_THAT(checked, ElementsAre(false, true));
    EXPECT_THAT(Names(m_music.path()), ElementsAre("吻别.flac"));
    ASSERT_EQ(boxes.texts.size(), 1U);
    EXPECT_THAT(boxes.texts[0], HasSubstr("留下其他格式的音乐文件 1 个"));
}

TEST_F(OrganizerDialogTest, WhatCannotBeTakenBackIsToldInAMessageBox) {
    Songs(m_music.path(), 2);
    const RecordingMessageBox boxes;
    bool offered = false;
    RunDialog([&] {
        m_dialog.StartRun(m_music.path());
        WriteFile(m_music / "track01.mp3", "another file since");
        WhenUndoOffered(offered);
        RightClick(m_dialog);
    });
    ASSERT_TRUE(offered);
    EXPECT_EQ(Caption(), "mp3名称整理 - 撤回 1，原已复原 0，跳过 1");
    ASSERT_EQ(boxes.texts.size(), 1U);
    EXPECT_THAT(boxes.texts[0], HasSubstr("track01.mp3"));
    EXPECT_THAT(boxes.texts[0], HasSubstr("名称已被占用"));
    EXPECT_THAT(Names(m_music.path()), ElementsAre("track01.mp3", "track02.mp3", "歌1.mp3"));
}

// A box lists twenty changes and counts the others.
TEST_F(OrganizerDialogTest, ALongListOfWhatCannotBeTakenBackIsCut) {
    Songs(m_music.path(), 23);
    const RecordingMessageBox boxes;
    bool offered = false;
    RunDialog([&] {
        m_dialog.StartRun(m_music.path());
        for (int i = 1; i <= 23; ++i) {
            WriteFile(m_music / ("track" + std::to_string(100 + i).substr(1) + ".mp3"), "new");
        }
        WhenUndoOffered(offered);
        RightClick(m_dialog);
    });
    ASSERT_TRUE(offered);
    ASSERT_EQ(boxes.texts.size(), 1U);
    const std::string& text = boxes.texts[0];
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 20);
    EXPECT_THAT(text, EndsWith("\n……另有3项未能撤回"));
}

// A run that could not be taken back is not made.
TEST_F(OrganizerDialogTest, NoRunWithoutItsJournal) {
    WriteFile(m_music / "state", "a file where the journals' folder would go");
    const ScopedVariable state("XDG_STATE_HOME", m_music / "state");
    Songs(m_music / "pop", 2);
    const RecordingMessageBox boxes;
    ActingDialog dialog(m_converter, m_settings);
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(dialog.StartRun(m_music / "pop"), 1);
        dialog.close();
    });
    dialog.DoModal();
    EXPECT_EQ(CountRenamed(m_music / "pop"), 0);
    ASSERT_EQ(boxes.texts.size(), 1U);
    EXPECT_THAT(boxes.texts[0], HasSubstr("未做任何改动"));
}

}  // namespace
