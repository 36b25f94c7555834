#include "organizer/diskexecutor.h"

#include <cerrno>
#include <string>

#include "organizer/tagwriter.h"
#include "platform/absolutepath.h"
#include "platform/fileentry.h"
#include "platform/filerename.h"
#include "platform/folders.h"
#include "platform/shelllink.h"

namespace {

bool HoldsFile(const std::string& path, const FileIdentity& identity) {
    FileIdentity found;
    return IdentityOf(path, found) && CompareIdentity(identity, found) == Sameness::Same;
}

}  // namespace

template <typename Make>
int DiskExecutor::Recorded(const Change& change, Make make) {
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

Outcome DiskExecutor::Rename(Change change) {
    // A change that names its file and finds it under both names is a rename cut short
    // between making the new name and removing the old one: only the old name goes.
    const bool cutShort = change.identity != FileIdentity{} &&
                          HoldsFile(change.other, change.identity) &&
                          !IsCaseOnlyChange(change.path, change.other);
    if (recorder_ != nullptr && change.identity == FileIdentity{} &&
        !IdentityOf(change.path, change.identity)) {
        return RefusedStep(change.path, errno);
    }
    const int error = Recorded(change, [&] {
        if (cutShort) {
            return RemoveFile(change.path);
        }
        return MoveFile(change.path, change.other) ? 0 : errno;
    });
    return error == 0 ? Outcome{change} : RefusedStep(change.path, error);
}

Outcome DiskExecutor::Link(Change change) {
    // Only the one level a run plans: the artist folder in the file's (or the run's) folder.
    const std::string folder = ParentFolder(change.path);
    if (EntryKindOf(folder) == EntryKind::Missing) {
        const int error = Recorded(Change::MakeFolder(folder), [&] { return MakeFolder(folder); });
        if (error != 0 && error != EEXIST) {
            return RefusedStep(change.other, error);
        }
    }
    if (recorder_ != nullptr && change.replaced.empty()) {
        ReadShortcut(change.path, change.replaced);
    }
    const int error =
        Recorded(change, [&] { return CreateShortcut(change.other, change.path) ? 0 : errno; });
    return error == 0 ? Outcome{change} : RefusedStep(change.other, error);
}

Outcome DiskExecutor::Delete(Change change) {
    const bool deadOnly = change.other.empty();
    if (recorder_ != nullptr && deadOnly) {
        ReadShortcut(change.path, change.other);
    }
    bool stillThere = true;
    const int error = Recorded(change, [&] {
        const bool removed = deadOnly ? DeleteDeadShortcut(change.path)
                                      : RemoveShortcutTo(change.path, change.other);
        if (removed) {
            return 0;
        }
        stillThere = errno != 0;
        return stillThere ? errno : ENOENT;
    });
    if (error == 0) {
        return {change};
    }
    return stillThere ? RefusedStep(change.path, error)
                      : Outcome{Change::Keep(change.path, Reason::Changed)};
}

Outcome DiskExecutor::Folder(const Change& change) {
    const int error = Recorded(change, [&] {
        return change.kind == ChangeKind::MakeFolder ? MakeFolder(change.path)
                                                     : RemoveEmptyFolder(change.path);
    });
    return error == 0 ? Outcome{change} : RefusedStep(change.path, error);
}

Outcome DiskExecutor::Retag(const Change& change) {
    const int error =
        Recorded(change, [&] { return WriteTagEdit(change.path, change.rewrite->edit); });
    switch (error) {
        case 0:
            return {change};
        case ESTALE:
            return {Change::Keep(change.path, Reason::Changed)};
        case EALREADY:
            return {Change::Keep(change.path, Reason::AlreadyBack)};
        case EINVAL:
            return {Change::Keep(change.path, Reason::Changed)};
        default:
            return RefusedStep(change.path, error);
    }
}

Outcome RefusedStep(const std::string& kept, int error) {
    switch (error) {
        case EEXIST:
            return {Change::Keep(kept, Reason::NameTaken)};
        case ENAMETOOLONG:
            return {Change::Keep(kept, Reason::NameTooLong), error};
        case EACCES:
        case EPERM:
        case EROFS:
            return {Change::Keep(kept, Reason::FolderNotWritable), error};
        default:
            return {Change::Keep(kept, Reason::Failed), error};
    }
}

Outcome DiskExecutor::Execute(const Change& change) {
    switch (change.kind) {
        case ChangeKind::Rename:
            return Rename(change);
        case ChangeKind::Link:
            return Link(change);
        case ChangeKind::Delete:
            return Delete(change);
        case ChangeKind::MakeFolder:
        case ChangeKind::RemoveFolder:
            return Folder(change);
        case ChangeKind::Retag:
            return Retag(change);
        case ChangeKind::Keep:
            break;
    }
    return {change};
}
