#include "app/undocommand.h"

#include <unistd.h>

#include <iostream>

#include "app/headlesshost.h"
#include "app/messages.h"
#include "app/stopsignal.h"
#include "organizer/conversiontables.h"
#include "organizer/diskexecutor.h"
#include "organizer/journalstore.h"
#include "organizer/takeback.h"
#include "platform/systeminfo.h"
#include "platform/terminal.h"

namespace {

ProgressLine::Mode ProgressModeFor(const CommandOptions& options) {
    if (options.quiet) {
        return ProgressLine::Mode::Quiet;
    }
    return IsTerminal(STDERR_FILENO) ? ProgressLine::Mode::Terminal : ProgressLine::Mode::Lines;
}

}  // namespace

int RunUndoCommand(const CommandOptions& options) {
    const bool redo = options.request == Request::Redo;
    const TakeBackDirection direction = redo ? TakeBackDirection::Redo : TakeBackDirection::Undo;
    JournalStore store(JournalStore::DefaultFolder());
    ProgressLine progress(std::cerr, ProgressModeFor(options), TerminalColumns(STDERR_FILENO),
                          sysinfo::GetTickCount);
    const std::optional<Journal> target = FindLatest(store, direction);
    if (!target) {
        progress.Print(messages::NothingToTakeBack(redo));
        return 1;
    }
    progress.Print(messages::TakingBack(redo, target->header));

    // The host of a run shows the progress and notes a stop; its engine stays idle.
    const ConversionTables tables;
    const ChineseConverter converter(tables);
    SettingsStore settings;
    DiskExecutor idle;
    HeadlessHost host(idle, converter, settings, progress, std::cout, {.recordFolders = false});
    const bool listSteps = options.dryRun || options.verbose;
    TakeBack takeBack(host, host.Engine().State(), nullptr,
                      [&](const JournalChange& original, const TakeBackStep& step) {
                          if (step.result == TakeBackResult::Skipped) {
                              progress.Print(messages::TakeBackFailed(original, step));
                          }
                          if (listSteps && step.result != TakeBackResult::AlreadyBack) {
                              progress.Clear();
                              std::cout << FormatTakeBackStep(step) << '\n';
                          }
                      });
    JournalWriter writer(sysinfo::GetTickCount);
    InstallStopSignals();
    const TakeBackJournalResult result = TakeBackJournal(store, *target, direction, options.dryRun,
                                                         takeBack, writer, SORTUNE_VERSION);
    std::cout.flush();
    if (result.beginError != 0) {
        progress.Print(messages::JournalError(store.Folder(), result.beginError));
        return 1;
    }
    progress.Print(messages::TakeBackSummary(result.report));
    if (result.finishError != 0) {
        progress.Print(messages::JournalIncomplete(writer.Path(), result.finishError));
    }
    if (result.report.stopped && StopSignal() != 0) {
        progress.Print(messages::TakeBackStopped(StopSignal(), redo));
        return 128 + StopSignal();
    }
    return result.report.skipped > 0 || result.finishError != 0 ? 1 : 0;
}

int RunHistoryCommand() {
    const JournalStore store(JournalStore::DefaultFolder());
    const std::vector<Journal> journals = store.Load();
    for (const Journal& journal : journals) {
        std::cout << messages::HistoryLine(journal, WasTakenBack(journals, journal)) << '\n';
    }
    return 0;
}
