#pragma once

#include "organizer/changerecorder.h"
#include "organizer/planexecutor.h"

// Carries the steps of a run out on disk. Nothing is ever replaced but a symbolic link by a
// new shortcut of the same name: a rename fails when its name is taken (the check and the
// rename are one atomic call), and a dead link is deleted only when it is still a dead link.
// Each step's outcome says what happened, and why when nothing did.
//
// With a recorder every change is written down before it is made (the file's identity for a
// rename, the link replaced, the target of a dead link deleted, a folder made) and marked
// after it; a change that cannot be written down is not made.
class DiskExecutor : public PlanExecutor {
public:
    // The recorder, when there is one, must outlive the executor's use of it.
    explicit DiskExecutor(ChangeRecorder* recorder = nullptr) : recorder_(recorder) {}
    void SetRecorder(ChangeRecorder* recorder) { recorder_ = recorder; }

    StepOutcome Execute(const PlanStep& step) override;

private:
    StepOutcome Rename(const PlanStep& step);
    StepOutcome Link(const PlanStep& step);
    StepOutcome Delete(const PlanStep& step);
    // Makes `change` with `make` (which returns 0 or an errno), written down before and after.
    // Returns 0 or the errno of the failure.
    template <typename Make>
    int Recorded(const JournalChange& change, Make make);

    ChangeRecorder* recorder_;
};

// The outcome of a step the system refused with `error`: the entry `kept` stays as it was.
// A taken name is no failure; a missing permission or a read-only file system is told apart
// from other errors, as the preview tells it beforehand.
StepOutcome RefusedStep(const std::string& kept, int error);
