#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "organizer/changeexecutor.h"
#include "organizer/journal.h"
#include "organizer/runhost.h"
#include "organizer/runstate.h"

// Takes a run back: the changes of its journal, newest first, each checked on disk before it
// is undone, so that nothing is ever replaced and whatever state a change was left in (made,
// not made, or cut short by a crash) is handled. A file is renamed back only while the file
// at its new name is the very file the run renamed and its old name is free; a link the run
// made is removed, or given back the target it replaced, only while it still holds the run's
// target; a deleted dead link comes back only where its name is free; a folder the run made
// is removed only when empty. Taking back an undo is a redo: the same rules, the other way.

enum class TakeBackDirection { Undo, Redo };

struct TakeBackReport {
    int changed = 0;
    int alreadyBack = 0;
    int skipped = 0;
    bool stopped = false;  // the run flag was cleared before the end
};

class TakeBack {
public:
    // Told of every change of the journal looked at, with what became of it: the change that
    // took it back, or a Keep saying why not (Reason::AlreadyBack when there was nothing to
    // take back).
    using Listener = std::function<void(const Change& original, const Outcome& outcome)>;

    // The host shows the progress and dispatches a message before each change, where a stop
    // clears `state.m_bRunning`. The executor makes the changes (or, a DryRunExecutor, only
    // shows them); the changes are decided from its view of the disk. All must outlive the
    // object.
    TakeBack(RunHost& host, RunState& state, ChangeExecutor& executor, Listener listener)
        : host_(host), state_(state), executor_(executor), listener_(std::move(listener)) {}

    // Takes the journal's changes back, newest first.
    TakeBackReport Run(const Journal& journal);

private:
    Change Decide(const Change& change) const;
    Change WithRewrittenIdentity(const Change& rename) const;
    Outcome Carry(const Change& undo);
    void RemoveLeftovers(const Change& change, long pid) const;

    RunHost& host_;
    RunState& state_;
    ChangeExecutor& executor_;
    Listener listener_;
    // Of the journal being taken back: the folder its changes must lie in ("" when none may
    // be taken back), whether it is a run's or a redo's, and its first change on each path
    // but a rename's.
    std::string folder_;
    bool forward_ = true;
    std::unordered_map<std::string, const Change*> firstOf_;
    // The tag rewrites of the journal, by the path they were made at. A file written anew has
    // a new inode: a rename of such a file knows it by its tag, which is one of the rewrites'.
    std::unordered_map<std::string, std::vector<TagEdit>> rewrites_;
    // Where taking back the journal's renames moves the files it named: new name to old.
    std::unordered_map<std::string, std::string> renamedAway_;
};
