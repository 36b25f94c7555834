#include "organizer/diskexecutor.h"

#include <cerrno>
#include <string>

#include "platform/absolutepath.h"
#include "platform/fileentry.h"
#include "platform/filerename.h"
#include "platform/folders.h"
#include "platform/shelllink.h"

template <typename Make>
int DiskExecutor::Recorded(const JournalChange& change, Make make) {
    std::size_t number = 0;
    if (recorder_ != nullptr) {
        if (const int error = recorder_->Intend(change, number)) {
            return error;
        }
    }
    const int error = make();
    if (recorder_ != nullptr) {
        recorder_->Settle(number, error == 0);
    }
    return error;
}

StepOutcome DiskExecutor::Rename(const PlanStep& step) {
    JournalChange change = JournalChange::Of(ChangeKind::Rename, step.path, step.other);
    if (recorder_ != nullptr && !IdentityOf(step.path, change.identity)) {
        return RefusedStep(step.path, errno);
    }
    const int error = Recorded(change, [&] { return MoveFile(step.path, step.other) ? 0 : errno; });
    return error == 0 ? StepOutcome{step} : RefusedStep(step.path, error);
}

StepOutcome DiskExecutor::Link(const PlanStep& step) {
    // Only the one level the run plans: the artist folder in the file's (or the run's) folder.
    const std::string folder = ParentFolder(step.path);
    if (EntryKindOf(folder) == EntryKind::Missing) {
        const int error = Recorded(JournalChange::Of(ChangeKind::MakeFolder, folder),
                                   [&] { return MakeFolder(folder); });
        if (error != 0 && error != EEXIST) {
            return RefusedStep(step.other, error);
        }
    }
    JournalChange change = JournalChange::Of(ChangeKind::Link, step.path, step.other);
    if (recorder_ != nullptr) {
        ReadShortcut(step.path, change.replaced);
    }
    const int error =
        Recorded(change, [&] { return CreateShortcut(step.other, step.path) ? 0 : errno; });
    return error == 0 ? StepOutcome{step} : RefusedStep(step.other, error);
}

StepOutcome DiskExecutor::Delete(const PlanStep& step) {
    JournalChange change = JournalChange::Of(ChangeKind::Delete, step.path);
    if (recorder_ != nullptr) {
        ReadShortcut(step.path, change.other);
    }
    bool stillDead = true;
    const int error = Recorded(change, [&] {
        if (DeleteDeadShortcut(step.path)) {
            return 0;
        }
        stillDead = errno != 0;
        return stillDead ? errno : ENOENT;
    });
    if (error == 0) {
        return {step};
    }
    return stillDead ? RefusedStep(step.path, error)
                     : StepOutcome{PlanStep::Keep(step.path, KeepReason::Changed)};
}

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
