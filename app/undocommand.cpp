#include "app/undocommand.h"

#include <iostream>

#include "app/commandlinestart.h"
#include "app/headlesshost.h"
#include "app/messages.h"
#include "app/session.h"
#include "app/stopsignal.h"
#include "organizer/conversiontables.h"
#include "organizer/diskexecutor.h"

int RunUndoCommand(const CommandOptions& options) {
    const bool redo = options.request == Request::Redo;
    const TakeBackDirection direction = redo ? TakeBackDirection::Redo : TakeBackDirection::Undo;
    SettingsStore settings;
    Session session(settings);
    ProgressLine progress = ProgressOnStandardError(options.quiet);

    // The host of a run shows the progress and notes a stop; its engine stays idle.
    const ConversionTables tables;
    const ChineseConverter converter(tables);
    DiskExecutor idle;
    HeadlessHost host(idle, converter, settings, progress, std::cout, {.recordFolders = false});
    const bool listSteps = options.dryRun || options.verbose;
    const auto listener = [&](const Change& original, const Outcome& outcome) {
        if (outcome.change.reason == Reason::AlreadyBack) {
            return;
        }
        if (!outcome.Made()) {
            progress.Print(messages::Line(messages::TakeBackFailed(original, outcome)));
        }
        if (listSteps) {
            progress.Clear();
            std::cout << FormatStep(outcome.change) << '\n';
        }
    };
    InstallStopSignals();
    const TakeBackOutcome result = session.TakeBackLatest(
        direction, host, host.Engine().State(), listener, options.dryRun,
        [&](const Journal& target) {
            progress.Print(messages::Line(messages::TakingBack(redo, target.header)));
        });
    std::cout.flush();
    if (result.journal.beginError != 0) {
        progress.Print(messages::Line(
            messages::JournalError(session.JournalFolder(), result.journal.beginError)));
        return 1;
    }
    if (!result.damaged.empty()) {
        progress.Print(
            messages::Line(messages::JournalDamaged(result.damaged, result.damagedLine)));
        return 1;
    }
    if (!result.found) {
        progress.Print(messages::Line(messages::NothingToTakeBack(redo)));
        return 1;
    }
    progress.Print(messages::Line(messages::TakeBackSummary(result.report)));
    if (result.journal.finishError != 0) {
        progress.Print(messages::Line(
            messages::JournalIncomplete(result.journal.path, result.journal.finishError)));
    }
    if (result.report.stopped && StopSignal() != 0) {
        progress.Print(messages::Line(messages::TakeBackStopped(StopSignal(), redo)));
        return 128 + StopSignal();
    }
    return result.report.skipped > 0 || result.journal.finishError != 0 ? 1 : 0;
}

int RunHistoryCommand() {
    const JournalStore store(JournalStore::DefaultFolder());
    const std::vector<Journal> journals = store.Load();
    for (const Journal& journal : journals) {
        std::cout << messages::HistoryLine(journal, WasTakenBack(journals, journal)) << '\n';
    }
    return 0;
}
