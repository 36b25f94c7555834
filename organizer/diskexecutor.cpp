#include "organizer/diskexecutor.h"

#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "organizer/shortcut.h"
#include "platform/absolutepath.h"
#include "platform/filerename.h"

namespace {

// Makes the folder that is to hold `path` when it is missing; only that one level, as the
// run never plans more. Returns 0 or the errno of the failure.
int MakeFolderOf(const std::string& path) {
    const std::string folder = ParentFolder(path);
    if (folder.empty() || folder == "/") {
        return 0;
    }
    return mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST ? 0 : errno;
}

StepOutcome Rename(const PlanStep& step) {
    return MoveFile(step.path, step.other) ? StepOutcome{step} : RefusedStep(step.path, errno);
}

StepOutcome Link(const PlanStep& step) {
    if (const int error = MakeFolderOf(step.path)) {
        return RefusedStep(step.other, error);
    }
    return CreateShortcut(step.other, step.path) ? StepOutcome{step}
                                                 : RefusedStep(step.other, errno);
}

StepOutcome Delete(const PlanStep& step) {
    if (DeleteDeadShortcut(step.path)) {
        return {step};
    }
    return errno == 0 ? StepOutcome{PlanStep::Keep(step.path, KeepReason::Changed)}
                      : RefusedStep(step.path, errno);
}

}  // namespace

StepOutcome RefusedStep(const std::string& kept, int error) {
    switch (error) {
        case EEXIST:
            return {PlanStep::Keep(kept, KeepReason::NameTaken)};
        case ENAMETOOLONG:
            return {PlanStep::Keep(kept, KeepReason::NameTooLong), error};
        case EACCES:
        case EPERM:
        case EROFS:
            return {PlanStep::Keep(kept, KeepReason::FolderNotWritable), error};
        default:
            return {PlanStep::Keep(kept, KeepReason::Failed), error};
    }
}

StepOutcome DiskExecutor::Execute(const PlanStep& step) {
    switch (step.kind) {
        case StepKind::Rename:
            return Rename(step);
        case StepKind::Link:
            return Link(step);
        case StepKind::Delete:
            return Delete(step);
        case StepKind::Keep:
            break;
    }
    return {step};
}
