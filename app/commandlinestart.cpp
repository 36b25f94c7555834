#include "app/commandlinestart.h"

#include <unistd.h>

#include <iostream>

#include "app/companionlibraries.h"
#include "app/headlesshost.h"
#include "app/messages.h"
#include "app/session.h"
#include "app/settingsstore.h"
#include "app/stopsignal.h"
#include "organizer/conversiontables.h"
#include "organizer/diskexecutor.h"
#include "organizer/dryrunexecutor.h"
#include "platform/absolutepath.h"
#include "platform/fileentry.h"
#include "platform/systeminfo.h"
#include "platform/terminal.h"

namespace {

// The options of a run: the stored ones, unless this command line names them. A start from
// the command line is a start from the file manager (no artist folders) unless -a asks.
RunOptions RunOptionsOf(const CommandOptions& options, const RunOptions& stored) {
    return {.subfolders = options.recursive.value_or(stored.subfolders),
            .artistFolders = options.byArtist || stored.artistFolders,
            .fromFileManager = !options.byArtist,
            .fixTags = options.fixTags,
            .noRename = options.noRename,
            .allFormats = options.allFormats || stored.allFormats};
}

// Sets the folder of one PATH, or says why there is none and returns false.
bool FindFolderToOrganize(const std::string& path, ProgressLine& progress, std::string& folder) {
    if (const int error = StartFolderOf(path, folder)) {
        progress.Print(messages::Line(messages::PathError(path, error)));
        return false;
    }
    if (folder == "/") {
        progress.Print(messages::Line(messages::RootRefused(path)));
        return false;
    }
    return true;
}

// Readies the session for runs: a preview leaves the settings and the registration of the
// menu as they are. The WMA module stays bound for all the runs, as the dialog holds it while
// it is open.
void Prepare(Session& session, bool preview) {
    if (preview) {
        session.BindWmaModule();
        return;
    }
    session.RecordProgramPath();
    LoadCompanionLibraries(session);
}

int Organize(const CommandOptions& options, const ConversionTables& tables) {
    const ChineseConverter converter(tables);
    SettingsStore settings;
    Session session(settings);
    DiskExecutor disk;
    DryRunExecutor preview;
    ChangeExecutor& executor = options.dryRun ? static_cast<ChangeExecutor&>(preview) : disk;
    ProgressLine progress = ProgressOnStandardError(options.quiet);
    HeadlessHost host(
        executor, converter, settings, progress, std::cout,
        {.recordFolders = !options.dryRun, .verbose = options.verbose || options.dryRun});
    const RunOptions runOptions = RunOptionsOf(options, session.StoredOptions());
    Prepare(session, options.dryRun);
    host.Engine().SetTagModule(session.GetAsfmeta());

    InstallStopSignals();
    bool failed = false;
    for (const std::string& path : options.paths) {
        std::string folder;
        if (!FindFolderToOrganize(path, progress, folder)) {
            failed = true;
            continue;
        }
        RunReport report;
        const JournalOutcome journal = session.Organize(host.Engine().State(), folder, runOptions,
                                                        options.dryRun ? nullptr : &disk,
                                                        [&] { report = host.Organize(folder); });
        if (journal.beginError != 0) {
            progress.Print(messages::Line(
                messages::JournalError(session.JournalFolder(), journal.beginError)));
            failed = true;
            continue;
        }
        if (journal.finishError != 0) {
            progress.Print(
                messages::Line(messages::JournalIncomplete(journal.path, journal.finishError)));
            failed = true;
        }
        std::cout.flush();
        if (!options.dryRun) {
            progress.Print(messages::Line(messages::Summary(report.tally, report.hiddenFolders)));
        }
        if (report.otherFormats > 0) {
            progress.Print(messages::Line(messages::FormatsLeft(report.otherFormats)));
        }
        failed = failed || report.tally.failed > 0;
        if (report.stopSignal != 0) {
            progress.Print(messages::Line(
                messages::Stopped(report.stopSignal, report.filesDone, report.filesTotal)));
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

ProgressLine ProgressOnStandardError(bool quiet) {
    ProgressLine::Mode mode = ProgressLine::Mode::Quiet;
    if (!quiet) {
        mode = IsTerminal(STDERR_FILENO) ? ProgressLine::Mode::Terminal : ProgressLine::Mode::Lines;
    }
    return {std::cerr, mode, TerminalColumns(STDERR_FILENO), sysinfo::GetTickCount};
}

int RunCommandLineStart(const CommandOptions& options, const ConversionTables& tables) {
    if (!Session::CheckLanguage()) {
        std::cerr << messages::Line(messages::LanguageHint()) << '\n';
        return 1;
    }
    return Organize(options, tables);
}
