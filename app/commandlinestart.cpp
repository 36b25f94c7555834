#include "app/commandlinestart.h"

#include <unistd.h>

#include <iostream>

#include "app/companionlibraries.h"
#include "app/headlesshost.h"
#include "app/messages.h"
#include "app/runjournal.h"
#include "app/settingsstore.h"
#include "app/stopsignal.h"
#include "organizer/conversiontables.h"
#include "organizer/diskexecutor.h"
#include "organizer/journalstore.h"
#include "organizer/previewexecutor.h"
#include "platform/absolutepath.h"
#include "platform/fileentry.h"
#include "platform/messagebox.h"
#include "platform/systeminfo.h"
#include "platform/terminal.h"

namespace {

ProgressLine::Mode ProgressModeFor(const CommandOptions& options) {
    if (options.quiet) {
        return ProgressLine::Mode::Quiet;
    }
    return IsTerminal(STDERR_FILENO) ? ProgressLine::Mode::Terminal : ProgressLine::Mode::Lines;
}

// Sets the run's options: the stored ones, unless this command line names them. A start from
// the command line is a start from the file manager (no artist folders) unless -a asks.
void ApplyOptions(const CommandOptions& options, const SettingsStore& settings, RunState& state) {
    state.m_bSubfolders = options.recursive ? (*options.recursive ? 1 : 0) : settings.FindPath();
    state.m_bArtistDirs = options.byArtist ? 1 : settings.ArtistDir();
    state.m_bFromShell = options.byArtist ? 0 : 1;
    state.m_strWindowsDir = sysinfo::SystemFolders();
}

// Sets the folder of one PATH, or says why there is none and returns false.
bool FindFolderToOrganize(const std::string& path, ProgressLine& progress, std::string& folder) {
    if (const int error = StartFolderOf(path, folder)) {
        progress.Print(messages::PathError(path, error));
        return false;
    }
    if (folder == "/") {
        progress.Print(messages::RootRefused(path));
        return false;
    }
    return true;
}

int Organize(const CommandOptions& options, const ConversionTables& tables) {
    const ChineseConverter converter(tables);
    SettingsStore settings;
    DiskExecutor disk;
    PreviewExecutor shown(std::cout);
    PlanExecutor& executor = options.dryRun ? static_cast<PlanExecutor&>(shown) : disk;
    ProgressLine progress(std::cerr, ProgressModeFor(options), TerminalColumns(STDERR_FILENO),
                          sysinfo::GetTickCount);
    HeadlessHost host(
        executor, converter, settings, progress, std::cout,
        {.recordFolders = !options.dryRun, .verbose = options.verbose && !options.dryRun});

    if (!options.dryRun) {
        settings.SetExePath(sysinfo::ExecutablePath());
    }
    ApplyOptions(options, settings, host.Engine().State());
    // Bound for all the runs and freed after them, as the dialog holds it while it is open. A
    // preview leaves the registration of the menu as it is.
    const TagLibrary tagLibrary = options.dryRun ? BindTagLibrary() : LoadCompanionLibraries();
    host.Engine().SetTagModule(tagLibrary.getAsfmeta);

    JournalStore store(JournalStore::DefaultFolder());
    InstallStopSignals();
    bool failed = false;
    for (const std::string& path : options.paths) {
        std::string folder;
        if (!FindFolderToOrganize(path, progress, folder)) {
            failed = true;
            continue;
        }
        JournalWriter journal(sysinfo::GetTickCount);
        if (!options.dryRun) {
            if (const int error = BeginRunJournal(store, folder, host.Engine().State(), journal)) {
                // A run that could not be taken back is not made.
                progress.Print(messages::JournalError(store.Folder(), error));
                failed = true;
                continue;
            }
        }
        disk.SetRecorder(journal.IsOpen() ? &journal : nullptr);
        const RunReport report = host.Organize(folder);
        disk.SetRecorder(nullptr);
        if (const int error = journal.Finish()) {
            progress.Print(messages::JournalIncomplete(journal.Path(), error));
            failed = true;
        }
        std::cout.flush();
        if (!options.dryRun) {
            progress.Print(messages::Summary(report.tally));
        }
        failed = failed || report.tally.failed > 0;
        if (report.stopSignal != 0) {
            progress.Print(
                messages::Stopped(report.stopSignal, report.filesDone, report.filesTotal));
            return 128 + report.stopSignal;
        }
    }
    return failed ? 1 : 0;
}

}  // namespace

int StartFolderOf(const std::string& path, std::string& folder) {
    // An empty PATH (an unset variable in a script) names nothing, not the current folder.
    const std::string absolute = path.empty() ? std::string() : AbsolutePath(path);
    if (absolute.empty()) {
        return ENOENT;
    }
    EntryKind kind = EntryKind::Missing;
    if (const int error = ResolvedKindOf(absolute, kind)) {
        return error;
    }
    const std::string tidy = TidyPath(absolute);
    folder = kind == EntryKind::Folder ? tidy : ParentFolder(tidy);
    return CheckFolderListable(folder);
}

int RunCommandLineStart(const CommandOptions& options, const ConversionTables& tables) {
    if (ChineseConverter::IsSystemGb2312() != 0) {
        AfxMessageBox("Sorry, Only work GB2312!", MB_OK);
        std::cerr << messages::LanguageHint() << '\n';
        return 1;
    }
    return Organize(options, tables);
}
