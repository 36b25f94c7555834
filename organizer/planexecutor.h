#pragma once

#include "organizer/planstep.h"

// Carries out the steps of a run. A step whose action fails (its name taken, no permission)
// leaves everything as it was, and the run goes on without being told.
class PlanExecutor {
public:
    virtual ~PlanExecutor() = default;

    virtual void Execute(const PlanStep& step) = 0;
};
