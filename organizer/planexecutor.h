#pragma once

#include "organizer/planstep.h"

// How a step came out: the step itself when it was carried out, or a Keep saying why the
// entry stayed as it was. A name found taken is no failure (nothing is ever replaced);
// anything else that stopped a step (no permission, a read-only file system, an I/O error)
// carries its errno.
struct StepOutcome {
    PlanStep step;
    int error = 0;

    bool Failed() const { return error != 0; }
};

// Carries out the steps of a run. A step whose action fails (its name taken, no permission)
// leaves everything as it was, and the run goes on; the engine itself does not look at the
// outcome, the run's owner may.
class PlanExecutor {
public:
    virtual ~PlanExecutor() = default;

    virtual StepOutcome Execute(const PlanStep& step) = 0;
};
