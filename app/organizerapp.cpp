#include "app/organizerapp.h"

#include <cstdio>
#include <iostream>
#include <string_view>

#include <QApplication>
#include <QMessageBox>

#include "app/commandlinestart.h"
#include "app/commandoptions.h"
#include "app/messages.h"
#include "app/organizerdialog.h"
#include "app/qtmessagebox.h"
#include "app/qttranslations.h"
#include "app/settingsstore.h"
#include "app/shellextension.h"
#include "app/startchoice.h"
#include "app/undocommand.h"
#include "platform/messagebox.h"
#include "platform/systeminfo.h"
#include "resources/appicons.h"
#include "resources/embeddedresource.h"

namespace {

constexpr int kAppIcon = 128;

int RunInTerminal(const ParsedCommandLine& parsed, OrganizerApp& app) {
    if (parsed.problem != UsageProblem::None) {
        std::cerr << messages::Line(messages::UsageError(parsed)) << '\n'
                  << messages::TryHelp() << '\n';
        return 2;
    }
    switch (parsed.options.request) {
        case Request::Help:
            std::cout << messages::Help();
            return 0;
        case Request::Version:
            std::printf("sortune %s\n", SORTUNE_VERSION);
            return 0;
        case Request::Undo:
        case Request::Redo:
            return RunUndoCommand(parsed.options);
        case Request::History:
            return RunHistoryCommand();
        case Request::Organize:
            break;
    }
    app.LoadTables(resources::FindResource);
    return RunCommandLineStart(parsed.options, app.Tables());
}

}  // namespace

bool OrganizerApp::InitInstance() {
    // Asked for by the context-menu extension, never typed: not one of the user's options.
    if (m_argc == 4 && std::string_view(m_argv[1]) == "--message-box") {
        m_nExitCode = ShowMessageBox(m_argv[2], m_argv[3]);
        return false;
    }
    const ParsedCommandLine parsed = ParseCommandOptions(m_argc, m_argv);
    const std::vector<std::string>& paths = parsed.options.paths;
    switch (ChooseStart(parsed, sysinfo::HasDisplay())) {
        case StartKind::ShellCommand:
            m_nExitCode = RunShellExtensionCommand(paths.front());
            break;
        case StartKind::Dialog:
            m_nExitCode = RunDialog(paths.empty() ? std::string() : paths.front());
            break;
        case StartKind::Terminal:
            m_nExitCode = RunInTerminal(parsed, *this);
            break;
    }
    return false;
}

void OrganizerApp::LoadTables(ConversionTables::ResourceFinder find) {
    m_tables.Load(find);
    if (m_tables.GetGbToBigTable() == nullptr) {
        AfxMessageBox("fail to load GB2BIG Resource", MB_OK);
    }
    if (m_tables.GetBigToGbTable() == nullptr) {
        AfxMessageBox("fail to load Big2GB Resource", MB_OK);
    }
}

int OrganizerApp::ShowMessageBox(const std::string& caption, const std::string& text) {
    if (!sysinfo::HasDisplay()) {
        return 1;
    }
    QApplication application(m_argc, m_argv);
    const QtTranslations translations;
    QMessageBox box(QMessageBox::Information, QString::fromUtf8(caption), QString::fromUtf8(text),
                    QMessageBox::Ok);
    box.setWindowIcon(resources::LoadAppIcon(kAppIcon));
    box.exec();
    return 0;
}

int OrganizerApp::RunDialog(const std::string& startFolder) {
    QApplication application(m_argc, m_argv);
    QApplication::setApplicationName("sortune");
    // The dialog ends the program, not the last window closed: the closing effect and the
    // boxes come after it.
    QApplication::setQuitOnLastWindowClosed(false);
    const QtTranslations translations;
    const QtMessageBox boxes;
    LoadTables(resources::FindResource);
    const ChineseConverter converter(m_tables);
    SettingsStore settings;
    OrganizerDialog dialog(converter, settings);
    dialog.m_strStartFolder = startFolder;
    dialog.DoModal();
    return dialog.ExitStatus();
}
