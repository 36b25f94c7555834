#pragma once

#include <functional>
#include <utility>

#include "organizer/changeexecutor.h"

// How the steps of a run came out, counted as its summary tells them. Every file of the pass
// gives one step, and so does every dead link the walk meets.
struct RunTally {
    int renamed = 0;
    int linked = 0;
    int deleted = 0;   // dead links
    int kept = 0;      // left as they were: no title, the same name, the name taken...
    int failed = 0;    // refused by the system for another reason than a taken name
    int retagged = 0;  // files whose tags were repaired

    void Count(const Change& change, const Outcome& outcome);
};

// Hands each step on to another executor, counts how it came out and tells the listener,
// which reports it (a failure, a line of a verbose run, the folder being worked on).
class TallyingExecutor : public ChangeExecutor {
public:
    using Listener = std::function<void(const Change& change, const Outcome& outcome)>;

    // The executor must outlive this one.
    explicit TallyingExecutor(ChangeExecutor& inner, Listener listener = {})
        : inner_(inner), listener_(std::move(listener)) {}

    Outcome Execute(const Change& change) override;
    const PlannedEntries& Entries() const override { return inner_.Entries(); }
    bool ChangesDisk() const override { return inner_.ChangesDisk(); }

    const RunTally& Tally() const { return tally_; }
    // Starts the count of the next run.
    void ResetTally() { tally_ = {}; }

private:
    ChangeExecutor& inner_;
    Listener listener_;
    RunTally tally_;
};
