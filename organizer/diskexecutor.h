#pragma once

#include "organizer/planexecutor.h"

// Carries the steps of a run out on disk. Nothing is ever replaced but a symbolic link by a
// new shortcut of the same name: a rename fails when its name is taken (the check and the
// rename are one atomic call), and a dead link is deleted only when it is still a dead link.
class DiskExecutor : public PlanExecutor {
public:
    void Execute(const PlanStep& step) override;
};
