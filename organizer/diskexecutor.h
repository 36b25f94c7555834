#pragma once

#include "organizer/planexecutor.h"

// Carries the steps of a run out on disk. Nothing is ever replaced but a symbolic link by a
// new shortcut of the same name: a rename fails when its name is taken (the check and the
// rename are one atomic call), and a dead link is deleted only when it is still a dead link.
// Each step's outcome says what happened, and why when nothing did.
class DiskExecutor : public PlanExecutor {
public:
    StepOutcome Execute(const PlanStep& step) override;
};

// The outcome of a step the system refused with `error`: the entry `kept` stays as it was.
// A taken name is no failure; a missing permission or a read-only file system is told apart
// from other errors, as the preview tells it beforehand.
StepOutcome RefusedStep(const std::string& kept, int error);
