#pragma once

#include <functional>
#include <utility>

#include "organizer/planexecutor.h"

// How the steps of a run came out, counted as its summary tells them. Every file of the pass
// gives one step, and so does every dead link the walk meets.
struct RunTally {
    int renamed = 0;
    int linked = 0;
    int deleted = 0;  // dead links
    int kept = 0;     // left as they were: no title, the same name, the name taken...
    int failed = 0;   // refused by the system for another reason than a taken name

    void Count(const StepOutcome& outcome);
};

// Hands each step on to another executor, counts how it came out and tells the listener,
// which reports it (a failure, a line of a verbose run, the folder being worked on).
class TallyingExecutor : public PlanExecutor {
public:
    using Listener = std::function<void(const PlanStep& step, const StepOutcome& outcome)>;

    // The executor must outlive this one.
    explicit TallyingExecutor(PlanExecutor& inner, Listener listener = {})
        : inner_(inner), listener_(std::move(listener)) {}

    StepOutcome Execute(const PlanStep& step) override;

    const RunTally& Tally() const { return tally_; }
    // Starts the count of the next run.
    void ResetTally() { tally_ = {}; }

private:
    PlanExecutor& inner_;
    Listener listener_;
    RunTally tally_;
};
