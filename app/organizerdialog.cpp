#include "app/organizerdialog.h"

#include <cstring>
#include <utility>

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPolygon>
#include <QShortcut>

#include "app/aboutdialog.h"
#include "app/commandlinestart.h"
#include "app/dialogfont.h"
#include "app/dialogtemplates.h"
#include "app/folderpicker.h"
#include "app/messages.h"
#include "app/progressbar.h"
#include "app/recentmenu.h"
#include "controls/canvas.h"
#include "controls/screenoverlay.h"
#include "controls/spinrecteffect.h"
#include "controls/syscolor.h"
#include "platform/absolutepath.h"
#include "platform/ansistring.h"
#include "platform/fileentry.h"
#include "platform/messagebox.h"
#include "platform/systeminfo.h"
#include "platform/userfolders.h"
#include "resources/appicons.h"

namespace {

constexpr int kAppIcon = 128;
constexpr int kOpenIcon = 130;
constexpr int kStopIcon = 131;
constexpr int kFirstBusyIcon = 132;
constexpr int kLastBusyIcon = 137;
constexpr int kStartDelay = 50;       // ms from opening to the command-line start
constexpr int kBusyInterval = 100;    // ms between two frames of the animation
constexpr int kEffectThreshold = 10;  // files handled before the closing effect plays
constexpr int kCollapsedMargin = 5;   // below the toggle, with the options hidden
constexpr const char* kCaptionPrefix = "mp3名称整理 - ";
constexpr std::size_t kListedProblems = 20;  // lines of a message box, the rest counted

QRect ToQRect(const DialogRect& rect) {
    return {rect.x, rect.y, rect.cx, rect.cy};
}

// A one-pixel ring on the outermost pixels of `rect`.
void FrameRect(QPainter& painter, const Rect& rect, const QColor& color) {
    painter.fillRect(rect.left, rect.top, rect.Width(), 1, color);
    painter.fillRect(rect.left, rect.bottom - 1, rect.Width(), 1, color);
    painter.fillRect(rect.left, rect.top, 1, rect.Height(), color);
    painter.fillRect(rect.right - 1, rect.top, 1, rect.Height(), color);
}

void FillRect(QPainter& painter, const Rect& rect, const QColor& color) {
    if (!rect.IsEmpty()) {
        painter.fillRect(rect.left, rect.top, rect.Width(), rect.Height(), color);
    }
}

// The state of the run written over the bar, as large as the bar lets it be: window managers
// cut the caption that says it to fit the narrow title bar. A text too wide for the bar (a
// long folder) loses its middle.
void DrawState(QPainter& painter, const Rect& outline, const QString& state) {
    QFont font = DialogFont();
    font.setPixelSize(outline.Height() - 1);
    font.setStyleStrategy(QFont::PreferAntialias);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QRect box(outline.left + 2, outline.top, outline.Width() - 4, outline.Height());
    const QString shown = painter.fontMetrics().elidedText(state, Qt::ElideMiddle, box.width());
    painter.drawText(box, Qt::AlignCenter, shown);
}

// One problem a line; past kListedProblems only their number, told with `more`.
std::string ListOf(const std::vector<std::string>& problems, const char* more) {
    std::string text;
    for (std::size_t i = 0; i < problems.size() && i < kListedProblems; ++i) {
        text += problems[i] + "\n";
    }
    if (problems.size() > kListedProblems) {
        text += ansi::Format(more, problems.size() - kListedProblems) + "\n";
    }
    text.pop_back();
    return text;
}

void SayProblem(const std::string& text) {
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}

// The option turned over: 1 when it was 0, else 0 (a stored 2 so becomes 0).
int TurnedOver(int value) {
    return value == 0 ? 1 : 0;
}

}  // namespace

OrganizerDialog::OrganizerDialog(const ChineseConverter& converter, SettingsStore& settings,
                                 QWidget* parent)
    : QDialog(parent),
      m_settings(settings),
      m_recent(settings),
      m_session(settings),
      m_tallying(m_executor, [this](const Change& change,
                                    const Outcome& outcome) { OnStepDone(change, outcome); }),
      m_engine(*this, m_tallying, converter),
      m_hIcon(resources::LoadAppIcon(kAppIcon)),
      m_effectScreen([] { return std::make_unique<ScreenOverlay>(); }) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(DialogFont());
    m_base = BaseUnitsOf(font());
    const DialogTemplate& layout = MainDialogTemplate();
    setWindowTitle(QString::fromUtf8(layout.caption));
    const DialogRect client = layout.ClientRect(m_base);
    setFixedSize(client.cx, client.cy);

    const auto place = [&](int id) { return ToQRect(layout.ItemRect(id, m_base)); };
    m_picture.setGeometry(QRect(place(IDC_PICTURE).topLeft(), QSize(32, 32)));  // icon size
    for (auto [box, id] : {std::pair{&m_chkArtistDirs, IDC_ARTIST_DIRS},
                           std::pair{&m_chkSubfolders, IDC_SUBFOLDERS}}) {
        box->setText(QString::fromUtf8(layout.Item(id).text));
        box->setGeometry(place(id));
    }
    // Tab goes through the options in the template's order, then to the toggle.
    setTabOrder(&m_chkSubfolders, &m_chkArtistDirs);
    setTabOrder(&m_chkArtistDirs, &m_btnOptions);
    m_btnOptions.setGeometry(place(IDC_OPTIONS));
    m_btnOptions.PreSubclassWindow();
    m_line.setGeometry(place(IDC_LINE));
    const QRect progress = place(IDC_PROGRESS);
    m_rcProgress = {progress.left(), progress.top(), progress.left() + progress.width(),
                    progress.top() + progress.height()};

    connect(&m_chkSubfolders, &QAbstractButton::clicked, this, [this] { OnSubfolders(); });
    connect(&m_chkArtistDirs, &QAbstractButton::clicked, this, [this] { OnArtistDirs(); });
    connect(&m_btnOptions, &QAbstractButton::clicked, this, [this] { OnOptions(); });
    connect(&m_btnOpen, &QAbstractButton::clicked, this, [this] { OnOpen(); });
    connect(&m_btnRecent, &QAbstractButton::clicked, this, [this] { ShowMenu(); });
    // The shaped buttons are no tab stops: the keyboard reaches the Open button this way.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this), &QShortcut::activated, this,
            [this] {
                if (m_btnOpen.isEnabled()) {
                    OnOpen();
                }
            });
    connect(&m_picture, &CTransitionStatic::clicked, &m_picture,
            &CTransitionStatic::PlayRandomEffect);
    // Before the first run the picker starts where the user keeps music, not at the root.
    if (std::string music = UserMusicFolder(); !music.empty()) {
        State().m_strLastFolder = std::move(music);
    }
    m_startTimer.setSingleShot(true);
    connect(&m_startTimer, &QTimer::timeout, this, [this] { OnCommandLineStart(); });
    connect(&m_busyTimer, &QTimer::timeout, this, [this] { OnBusyTick(); });
}

OrganizerDialog::~OrganizerDialog() = default;

int OrganizerDialog::DoModal() {
    int result = QDialog::Rejected;
    if (OnInitDialog()) {
        result = exec();
    }
    DestroyWindow();
    return result;
}

bool OrganizerDialog::OnInitDialog() {
    setWindowIcon(m_hIcon);
    if (!Session::CheckLanguage()) {
        return false;
    }
    m_rcWindow = geometry();
    m_nFullHeight = m_rcWindow.height();
    const QRect toggle = m_btnOptions.geometry();
    m_nCollapsedHeight = toggle.top() + toggle.height() + kCollapsedMargin;
    ResizeHeight(m_nCollapsedHeight);
    m_btnOptions.SetFaceColor(RGB(255, 255, 0));

    RunState& state = State();
    state.m_strWindowsDir = sysinfo::SystemFolders();
    m_session.RecordProgramPath();
    state.m_bSubfolders = m_settings.FindPath();
    m_chkSubfolders.SetCheck(state.m_bSubfolders);
    state.m_bArtistDirs = m_settings.ArtistDir();
    m_chkArtistDirs.SetCheck(state.m_bArtistDirs);
    state.m_bFixTags = m_settings.FixTags();
    state.m_bAllFormats = m_settings.AllFormats();

    LoadCompanionLibraries(m_session);
    m_engine.SetTagModule(m_session.GetAsfmeta());
    CreateShapedButtons();
    SetBusy(0, 1);
    DrawProgress(state.m_nProgressPos, state.m_nProgressTotal, 0);
    m_picture.LoadPicture();
    if (!m_strStartFolder.empty()) {
        m_btnOpen.setEnabled(false);
        m_btnRecent.setEnabled(false);
        m_startTimer.start(kStartDelay);
    }
    return true;
}

void OrganizerDialog::CreateShapedButtons() {
    const DialogRect r = MainDialogTemplate().ItemRect(IDC_BUTTONS, m_base);
    const int w = r.cx;
    const int h = r.cy;
    const int half = h / 2;
    const int k = w - half;
    const COLORREF face = GetSysColor(palette(), COLOR_BTNFACE);

    const QRegion open(QPolygon(
        {QPoint(0, 0), QPoint(w, 0), QPoint(w, half - 2), QPoint(k - 2, h), QPoint(0, h)}));
    m_btnOpen.CreateShaped("Open", WS_CHILD | WS_VISIBLE | BS_ICON, r.x, r.y, open, this, IDC_OPEN,
                           1, face, face, face, face);
    m_btnOpen.SetIcon(resources::LoadAppIcon(kOpenIcon));

    const QRegion corner(QPolygon({QPoint(w, half), QPoint(w, h), QPoint(k, h)}));
    m_btnRecent.CreateShaped("", WS_CHILD | WS_VISIBLE, r.x + k + 1, r.y + h - half + 1, corner,
                             this, IDC_RECENT, 1, RGB(247, 251, 255), RGB(0, 255, 0),
                             RGB(0, 255, 0), face);
}

void OrganizerDialog::DestroyWindow() {
    const QRect frame = frameGeometry();
    m_engine.SetTagModule(nullptr);
    m_session.FreeWmaModule();
    hide();
    // The window leaves the screen before the effect plays over the place it held.
    QCoreApplication::processEvents();
    if (State().m_nRenamed >= kEffectThreshold) {
        CSpinRectEffect effect(m_effectScreen());
        effect.Play({frame.left(), frame.top(), frame.left() + frame.width(),
                     frame.top() + frame.height()});
    }
}

QWidget* OrganizerDialog::GetDlgItem(int id) {
    switch (id) {
        case IDC_OPTIONS:
            return &m_btnOptions;
        case IDC_SUBFOLDERS:
            return &m_chkSubfolders;
        case IDC_ARTIST_DIRS:
            return &m_chkArtistDirs;
        case IDC_LINE:
            return &m_line;
        case IDC_PICTURE:
            return &m_picture;
        case IDC_OPEN:
            return &m_btnOpen;
        case IDC_RECENT:
            return &m_btnRecent;
        default:
            return nullptr;
    }
}

int OrganizerDialog::StartRun(const std::string& folder) {
    const int result = Organize(folder);
    AcceptIfAsked();
    return result;
}

int OrganizerDialog::Organize(const std::string& folder) {
    m_bFailed = true;
    // A folder that cannot be listed would run as an empty one and look organized.
    if (const int error = CheckFolderListable(AbsolutePath(folder))) {
        SayProblem(messages::PathError(folder, error));
        return 1;
    }
    m_failures.clear();
    int result = 1;
    const JournalOutcome journal = m_session.Organize(State(), folder, Options(), &m_executor,
                                                      [&] { result = m_engine.StartRun(folder); });
    if (journal.beginError != 0) {
        SayProblem(messages::JournalError(m_session.JournalFolder(), journal.beginError));
        return 1;
    }
    if (journal.finishError != 0) {
        m_failures.push_back(messages::JournalIncomplete(journal.path, journal.finishError));
    }
    m_bFailed = !m_failures.empty();
    if (m_bFailed) {
        SayProblem(ListOf(m_failures, "……另有%zu项失败"));
    } else if (State().m_nFilesFound == 0 && State().m_nOtherFormats > 0) {
        // "0 files" would hide a folder full of music the option would take.
        AfxMessageBox(messages::FormatsLeft(State().m_nOtherFormats), MB_OK | MB_ICONINFORMATION);
    }
    return result;
}

void OrganizerDialog::OnStepDone(const Change& change, const Outcome& outcome) {
    if (outcome.Failed()) {
        m_failures.push_back(messages::StepFailed(change, outcome.error));
    }
}

// The options as the check boxes (and a start from the file manager) set them.
RunOptions OrganizerDialog::Options() const {
    const RunState& state = State();
    return {.subfolders = state.m_bSubfolders == 1,
            .artistFolders = state.m_bArtistDirs == 1,
            .fromFileManager = state.m_bFromShell == 1,
            .fixTags = state.m_bFixTags == 1,
            .allFormats = state.m_bAllFormats == 1};
}

bool OrganizerDialog::CanUndo() const {
    return State().m_bRunning == 0 && m_session.CanTakeBack(TakeBackDirection::Undo);
}

void OrganizerDialog::OnUndo() {
    if (State().m_bRunning != 0) {
        return;
    }
    UndoLatest();
    AcceptIfAsked();
}

void OrganizerDialog::UndoLatest() {
    const std::string caption = windowTitle().toStdString();
    std::vector<std::string> problems;
    const auto listener = [&problems](const Change& original, const Outcome& outcome) {
        if (!outcome.Made() && outcome.change.reason != Reason::AlreadyBack) {
            problems.push_back(messages::TakeBackFailed(original, outcome));
        }
    };
    const TakeBackOutcome result = m_session.TakeBackLatest(
        TakeBackDirection::Undo, *this, State(), listener, false, [this](const Journal& target) {
            SetWindowText(kCaptionPrefix + messages::TakingBack(false, target.header));
        });
    if (!result.damaged.empty()) {
        SayProblem(messages::JournalDamaged(result.damaged, result.damagedLine));
        return;
    }
    if (!result.found && result.journal.beginError == 0) {
        return;
    }
    if (result.journal.beginError != 0) {
        SetWindowText(caption);
        SayProblem(messages::JournalError(m_session.JournalFolder(), result.journal.beginError));
        return;
    }
    SetWindowText(kCaptionPrefix + messages::TakeBackSummary(result.report));
    if (result.journal.finishError != 0) {
        problems.push_back(
            messages::JournalIncomplete(result.journal.path, result.journal.finishError));
    }
    if (!problems.empty()) {
        SayProblem(ListOf(problems, "……另有%zu项未能撤回"));
    }
}

void OrganizerDialog::SetBusy(int running, int setIcon) {
    if (setIcon != 0) {
        m_btnOpen.SetIcon(resources::LoadAppIcon(running == 1 ? kStopIcon : kOpenIcon));
    }
    const bool enable = running != 1;
    m_chkArtistDirs.setEnabled(enable);
    m_chkSubfolders.setEnabled(enable);
    m_btnRecent.setEnabled(enable);
}

void OrganizerDialog::DrawProgress(int pos, int total, int invalidate) {
    m_nDrawnPos = pos;
    m_nDrawnTotal = total;
    const QRect outer(m_rcProgress.left, m_rcProgress.top, m_rcProgress.Width(),
                      m_rcProgress.Height());
    if (invalidate != 0) {
        update(outer);
    } else {
        repaint(outer);
    }
}

void OrganizerDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    const ProgressBarRects bar = ProgressBarOf(m_rcProgress, m_nDrawnPos, m_nDrawnTotal);
    FrameRect(painter, bar.outline, ToQColor(kProgressOutline));
    FillRect(painter, bar.inside, ToQColor(kProgressInside));
    FillRect(painter, bar.bar, ToQColor(kProgressBar));
    if (!m_strState.isEmpty()) {
        DrawState(painter, bar.outline, m_strState);
    }
}

// The stored folders as the menu lists them: a folder stored twice is listed once.
std::vector<std::string> OrganizerDialog::StoredFolders() const {
    std::vector<std::string> folders;
    m_recent.MergeStored(folders);
    return folders;
}

void OrganizerDialog::ShowMenu() {
    const std::vector<std::string> folders = StoredFolders();
    if (folders.empty()) {
        OnOpen();
        return;
    }
    m_recentMenu.clear();
    for (const RecentMenuItem& item : RecentMenuItems(folders)) {
        m_recentMenu.addAction(QString::fromUtf8(item.label))->setData(item.command);
    }
    const QAction* chosen = m_recentMenu.exec(m_btnOpen.mapToGlobal(QPoint(0, m_btnOpen.height())));
    if (chosen != nullptr) {
        RunItem(chosen->data().toInt());
    }
}

void OrganizerDialog::RunItem(int command) {
    const std::vector<std::string> stored = StoredFolders();
    const std::size_t index = static_cast<std::size_t>(command - kRecentCommandFirst);
    if (command >= kRecentCommandFirst && index < stored.size()) {
        StartRun(stored[index]);
    }
}

void OrganizerDialog::OnOpen() {
    RunState& state = State();
    if (state.m_bRunning == 1) {
        state.m_bRunning = 0;
        SetBusy(0, 1);
        return;
    }
    FolderPicker picker;
    picker.m_strSelection = state.m_strLastFolder;
    if (picker.Browse(this) == 1) {
        state.m_strLastFolder = picker.m_strPath;
        StartRun(picker.m_strPath);
    }
}

void OrganizerDialog::OnSubfolders() {
    RunState& state = State();
    state.m_bSubfolders = TurnedOver(state.m_bSubfolders);
    m_chkSubfolders.SetCheck(state.m_bSubfolders);
    m_settings.SetFindPath(state.m_bSubfolders);
}

void OrganizerDialog::OnArtistDirs() {
    RunState& state = State();
    state.m_bArtistDirs = TurnedOver(state.m_bArtistDirs);
    m_chkArtistDirs.SetCheck(state.m_bArtistDirs);
    m_settings.SetArtistDir(state.m_bArtistDirs);
}

void OrganizerDialog::OnOptions() {
    // The button turns its state over only after reporting the click.
    ResizeHeight(m_btnOptions.IsExpanded() != 0 ? m_nCollapsedHeight : m_rcWindow.height());
}

void OrganizerDialog::ResizeHeight(int height) {
    setFixedSize(m_rcWindow.width(), height);
}

void OrganizerDialog::OnCommandLineStart() {
    m_startTimer.stop();
    std::string folder;
    if (const int error = StartFolderOf(m_strStartFolder, folder)) {
        SayProblem(messages::PathError(m_strStartFolder, error));
        m_bStartFailed = true;
    } else if (folder == "/") {
        SayProblem(messages::RootRefused(m_strStartFolder));
        m_bStartFailed = true;
    } else {
        State().m_bFromShell = 1;
        StartRun(folder);
        m_bStartFailed = m_bFailed;
    }
    close();
}

void OrganizerDialog::StartBusyTimer() {
    m_busyTimer.start(kBusyInterval);
}

void OrganizerDialog::KillBusyTimer() {
    m_busyTimer.stop();
}

void OrganizerDialog::OnBusyTick() {
    m_nBusyIcon = m_nBusyIcon + 1 > kLastBusyIcon ? kFirstBusyIcon : m_nBusyIcon + 1;
    m_btnOpen.SetIcon(resources::LoadAppIcon(m_nBusyIcon));
}

void OrganizerDialog::AddFolder(const std::string& folder) {
    m_recent.AddFolder(folder);
}

void OrganizerDialog::SetWindowText(const std::string& caption) {
    setWindowTitle(QString::fromUtf8(caption));
    // The dialog's own caption says no state.
    m_strState = caption.starts_with(kCaptionPrefix)
                     ? QString::fromUtf8(caption.substr(std::strlen(kCaptionPrefix)))
                     : QString();
    update(m_rcProgress.left, m_rcProgress.top, m_rcProgress.Width(), m_rcProgress.Height());
}

bool OrganizerDialog::AskYesNo(const std::string& question) {
    return AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void OrganizerDialog::PumpOneMessage() {
    QCoreApplication::processEvents();
}

void OrganizerDialog::reject() {
    State().m_bRunning = 0;
    m_bAcceptAfterRun = false;
    SetBusy(0, 1);
    QDialog::reject();
}

void OrganizerDialog::accept() {
    if (State().m_bRunning == 1) {
        m_bAcceptAfterRun = true;
        return;
    }
    QDialog::accept();
}

void OrganizerDialog::AcceptIfAsked() {
    if (std::exchange(m_bAcceptAfterRun, false)) {
        QDialog::accept();
    }
}

void OrganizerDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void OrganizerDialog::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* undo = menu.addAction(QString::fromUtf8("撤销上次整理(&U)"));
    undo->setEnabled(CanUndo());
    connect(undo, &QAction::triggered, this, [this] { OnUndo(); });
    connect(AddOptionItem(menu, "同时修复标签编码(&T)", State().m_bFixTags), &QAction::toggled,
            this, [this](bool on) { OnFixTags(on); });
    connect(AddOptionItem(menu, "整理所有音乐格式(&F)", State().m_bAllFormats), &QAction::toggled,
            this, [this](bool on) { OnAllFormats(on); });
    menu.addSeparator();
    connect(menu.addAction(QString::fromUtf8("关于 sortune(&A)...")), &QAction::triggered, this,
            [this] { OnAbout(); });
    menu.exec(event->globalPos());
}

// A check item of the context menu for an option; fixed during a run.
QAction* OrganizerDialog::AddOptionItem(QMenu& menu, const char* text, int flag) {
    QAction* item = menu.addAction(QString::fromUtf8(text));
    item->setCheckable(true);
    item->setChecked(flag == 1);
    item->setEnabled(State().m_bRunning == 0);
    return item;
}

// Stored at once, as the check boxes are.
void OrganizerDialog::OnFixTags(bool on) {
    State().m_bFixTags = on ? 1 : 0;
    m_settings.SetFixTags(State().m_bFixTags);
}

// Stored at once; the file managers' menus follow, offering the submenu on the files the runs
// take.
void OrganizerDialog::OnAllFormats(bool on) {
    State().m_bAllFormats = on ? 1 : 0;
    m_settings.SetAllFormats(State().m_bAllFormats);
    m_session.RegisterFileManagerMenus();
}

void OrganizerDialog::OnAbout() {
    AboutDialog about(this);
    about.exec();
}
