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
    const StepOutcome outcome = m_inner.Execute(step);
    m_tally.Count(outcome);
    if (m_listener) {
        m_listener(step, outcome);
    }
    return outcome;
}
