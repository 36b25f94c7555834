#include "organizer/runtally.h"

void RunTally::Count(const StepOutcome& outcome) {
    if (outcome.Failed()) {
        ++failed;
        return;
    }
    switch (outcome.step.kind) {
        case StepKind::Rename:
            ++renamed;
            break;
        case StepKind::Link:
            ++linked;
            break;
        case StepKind::Delete:
            ++deleted;
            break;
        case StepKind::Keep:
            ++kept;
            break;
    }
}

StepOutcome TallyingExecutor::Execute(const PlanStep& step) {
    const StepOutcome outcome = inner_.Execute(step);
    tally_.Count(outcome);
    if (listener_) {
        listener_(step, outcome);
    }
    return outcome;
}
