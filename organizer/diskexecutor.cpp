#include "organizer/diskexecutor.h"

#include <sys/stat.h>

#include <string>

#include "organizer/shortcut.h"
#include "platform/filerename.h"

namespace {

// Makes the folder that is to hold `path` when it is missing; only that one level, as the
// run never plans more. A failure shows when the shortcut cannot be written into it.
void MakeFolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) {
        return;
    }
    mkdir(path.substr(0, slash).c_str(), 0777);
}

}  // namespace

void DiskExecutor::Execute(const PlanStep& step) {
    switch (step.kind) {
        case StepKind::Rename:
            MoveFile(step.path, step.other);
            break;
        case StepKind::Link:
            MakeFolderOf(step.path);
            CreateShortcut(step.other, step.path);
            break;
        case StepKind::Delete:
            DeleteDeadShortcut(step.path);
            break;
        case StepKind::Keep:
            break;
    }
}
