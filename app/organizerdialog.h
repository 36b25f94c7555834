#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QDialog>
#include <QIcon>
#include <QMenu>
#include <QTimer>

#include "app/dialogunits.h"
#include "app/etchedline.h"
#include "app/recentfolders.h"
#include "app/session.h"
#include "app/settingsstore.h"
#include "controls/effectscreen.h"
#include "controls/expandbutton.h"
#include "controls/gdi.h"
#include "controls/shadecheckbox.h"
#include "controls/shapedbutton.h"
#include "controls/transitionstatic.h"
#include "organizer/diskexecutor.h"
#include "organizer/organizerengine.h"
#include "organizer/runhost.h"
#include "organizer/runtally.h"

// The program's window: a small dialog with the Open button (pick a folder and organize it,
// or stop the run in progress), the recent-folders button in its cut-off corner, a progress
// bar, and, behind the yellow toggle, the two options and the picture. The organize runs
// happen on the dialog's thread, inside the handler that started them: the engine hands the
// dialog one pending event before every directory entry and every file, so the dialog stays
// alive and the Open button or closing the window stops the run.
//
// Every run keeps a journal, so that it can be taken back: a right click on the dialog offers
// the undo of the latest run, beside the about box. Started with a path (m_strStartFolder),
// the dialog organizes the folder of that path 50 ms after it opened and closes when the run
// ends. When ten or more files were handled while it was open, the closing effect plays on
// the place the window leaves.
class OrganizerDialog : public QDialog, public RunHost {
public:
    // The converter and the settings must outlive the dialog.
    OrganizerDialog(const ChineseConverter& converter, SettingsStore& settings,
                    QWidget* parent = nullptr);
    ~OrganizerDialog() override;

    // Initialises and shows the dialog, runs it until it ends and destroys its window.
    // Returns QDialog::Accepted (Enter) or QDialog::Rejected (Escape, close, the end of a
    // command-line start, the language refused).
    int DoModal();

    // Organizes one folder: the walk, then the file pass, written down in a journal first
    // (a run whose journal cannot be begun is not made, and the user is told). A folder that
    // cannot be listed is not run but said in a message box, and so are the steps the system
    // refused, after the run. Returns the engine's result, 1 for a run not made.
    int StartRun(const std::string& folder);
    // Takes the latest run back, as far as it can, with the progress bar and the caption;
    // what could not be taken back is told in a message box.
    void OnUndo();
    // Disables (running 1) or enables the options and the recent-folders button; with a
    // non-zero `setIcon` the Open button shows the stop sign or the folder. The Open button
    // itself stays enabled: it stops a run.
    void SetBusy(int running, int setIcon) override;
    // Paints the progress bar for `pos` files of `total`; with `invalidate` the painting
    // waits for the next paint of the window.
    void DrawProgress(int pos, int total, int invalidate);
    // The recent-folders button: the menu of the folders organised last, or, with none
    // stored, what the Open button does.
    void ShowMenu();
    // A command of the recent-folders menu: organizes the folder stored at that place.
    void RunItem(int command);

    // The control of that id (1007, 1009, 1010, 1016, 1018, 1025, 1026), or null.
    QWidget* GetDlgItem(int id);
    // The run state the engine shares with the dialog.
    RunState& State() { return m_engine.State(); }
    const RunState& State() const { return m_engine.State(); }

    // Where the closing effect draws: the screen, unless set otherwise.
    using EffectScreenFactory = std::function<std::unique_ptr<EffectScreen>()>;
    void SetEffectScreenFactory(EffectScreenFactory factory) {
        m_effectScreen = std::move(factory);
    }

    // The path given on the command line; "" for none.
    std::string m_strStartFolder;
    // The program's exit status after the dialog: 1 when the command-line start found no
    // folder to organize or a step of its run failed, else 0.
    int ExitStatus() const { return m_bStartFailed ? 1 : 0; }

    // What the engine asks of the dialog.
    void AddFolder(const std::string& folder) override;
    void SetWindowText(const std::string& caption) override;
    void DrawProgress(int pos, int total) override { DrawProgress(pos, total, 0); }
    void StartBusyTimer() override;
    void KillBusyTimer() override;
    bool AskYesNo(const std::string& question) override;
    void PumpOneMessage() override;

protected:
    // Escape, the close box and closing the window stop a run first; Enter ends the dialog
    // (accept), after the run or undo in progress has ended on its own.
    void reject() override;
    void accept() override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool OnInitDialog();
    int Organize(const std::string& folder);
    void UndoLatest();
    void AcceptIfAsked();
    RunOptions Options() const;
    std::vector<std::string> StoredFolders() const;
    bool CanUndo() const;
    void DestroyWindow();
    void CreateShapedButtons();
    void ResizeHeight(int height);
    void OnOpen();
    void OnSubfolders();
    void OnArtistDirs();
    void OnOptions();
    void OnCommandLineStart();
    void OnBusyTick();
    void OnAbout();
    QAction* AddOptionItem(QMenu& menu, const char* text, int flag);
    void OnFixTags(bool on);
    void OnAllFormats(bool on);
    void OnStepDone(const Change& change, const Outcome& outcome);

    SettingsStore& m_settings;
    RecentFolders m_recent;
    Session m_session;
    DialogBaseUnits m_base;
    DiskExecutor m_executor;
    TallyingExecutor m_tallying;  // the run's steps through m_executor, failures noted
    OrganizerEngine m_engine;
    CShapedButton m_btnOpen;
    CShapedButton m_btnRecent;
    CTransitionStatic m_picture{this};
    CShadeCheckBox m_chkArtistDirs{this};
    CShadeCheckBox m_chkSubfolders{this};
    CExpandButton m_btnOptions{this};
    EtchedLine m_line{this};
    QIcon m_hIcon;
    QMenu m_recentMenu{this};
    QRect m_rcWindow;
    Rect m_rcProgress;
    int m_nDrawnPos = 0;  // what the progress bar shows
    int m_nDrawnTotal = 0;
    QString m_strState;  // the caption's state of the run, written over the bar
    int m_nBusyIcon = 132;
    int m_nCollapsedHeight = 70;
    int m_nFullHeight = 235;
    std::vector<std::string> m_failures;  // of the current run, for the user
    bool m_bFailed = false;               // the last run was not made, or a step of it failed
    bool m_bStartFailed = false;          // so did the command-line start
    bool m_bAcceptAfterRun = false;       // Enter was pressed during the run
    QTimer m_startTimer;                  // the command-line start, once
    QTimer m_busyTimer;                   // the Open button's animation during the walk
    EffectScreenFactory m_effectScreen;
};
