#pragma once

#include <functional>
#include <optional>

#include "organizer/changerecorder.h"
#include "organizer/journal.h"
#include "organizer/journalstore.h"
#include "organizer/plannedentries.h"
#include "organizer/runhost.h"
#include "organizer/runstate.h"

// Takes a run back: the changes of its journal, newest first, each checked on disk before it
// is undone, so that nothing is ever replaced and whatever state a change was left in (made,
// not made, or cut short by a crash) is handled. A file is renamed back only while the file
// at its new name is the very file the run renamed and its old name is free; a link the run
// made is removed, or given back the target it replaced, only while it still holds the run's
// target; a deleted dead link comes back only where its name is free; a folder the run made
// is removed only when empty. Taking back an undo is a redo: the same rules, the other way.

enum class TakeBackResult {
    Changed,      // taken back (or, in a preview, would be)
    AlreadyBack,  // already as it was before the change
    Skipped,      // left alone, for `reason`
};

enum class SkipReason {
    None,
    MovedSince,      // the file is no longer where the run put it
    NameTakenSince,  // something else has the name to go back to
    ChangedSince,    // the link or folder is no longer the run's
    FolderNotEmpty,  // the folder the run made holds other entries
    Failed,          // the system refused; `error` says why
};

struct TakeBackStep {
    JournalChange undo;  // the change that takes `original` back
    TakeBackResult result = TakeBackResult::Changed;
    SkipReason reason = SkipReason::None;
    int error = 0;
};

struct TakeBackReport {
    int changed = 0;
    int alreadyBack = 0;
    int skipped = 0;
    bool stopped = false;  // the run flag was cleared before the end
};

class TakeBack {
public:
    // Told of every change looked at, with what became of it.
    using Listener = std::function<void(const JournalChange& original, const TakeBackStep& step)>;

    // The host shows the progress and dispatches a message before each change, where a stop
    // clears `state.m_bRunning`. With a null recorder nothing is changed: a preview. All must
    // outlive the object.
    TakeBack(RunHost& host, RunState& state, ChangeRecorder* recorder, Listener listener)
        : host_(host), state_(state), recorder_(recorder), listener_(std::move(listener)) {}

    // Takes the journal's changes back (or shows how, without a recorder).
    TakeBackReport Run(const Journal& journal);
    void SetRecorder(ChangeRecorder* recorder) { recorder_ = recorder; }

private:
    TakeBackStep Decide(const JournalChange& change) const;
    TakeBackStep Carry(TakeBackStep step);
    void RemoveLeftovers(const JournalChange& change, long pid) const;

    RunHost& host_;
    RunState& state_;
    ChangeRecorder* recorder_;
    Listener listener_;
    PlannedEntries planned_;  // a preview's changes, as if made
};

enum class TakeBackDirection { Undo, Redo };

// The journal an undo (or redo) of the store would take back, or nothing.
std::optional<Journal> FindLatest(const JournalStore& store, TakeBackDirection direction);

struct TakeBackJournalResult {
    TakeBackReport report;
    int beginError = 0;   // the undo's own journal could not be begun: nothing was changed
    int finishError = 0;  // the undo's own journal could not be written to its end
};

// Takes `target` back, writing a journal of its own in the store unless `preview`: what the
// program's undo and redo do, and what the dialog calls. `version` goes into the journal.
TakeBackJournalResult TakeBackJournal(JournalStore& store, const Journal& target,
                                      TakeBackDirection direction, bool preview, TakeBack& takeBack,
                                      JournalWriter& writer, const std::string& version);

// The line of a take-back step, in the format of the run's steps:
//   rename FROM TO | link LINK TARGET | delete LINK | mkdir FOLDER | rmdir FOLDER
//   | keep PATH REASON
// with REASON one of "moved since", "name taken since", "changed since", "folder not empty",
// "failed".
std::string FormatTakeBackStep(const TakeBackStep& step);
