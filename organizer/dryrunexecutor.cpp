#include "organizer/dryrunexecutor.h"

#include "platform/absolutepath.h"
#include "platform/filerename.h"

Outcome DryRunExecutor::Execute(const Change& change) {
    const Change outcome = Decide(change);
    if (out_ != nullptr) {
        *out_ << FormatStep(outcome) << '\n';
    }
    planned_.Apply(outcome);
    return {outcome};
}

bool DryRunExecutor::CanLinkInto(const std::string& linkPath) {
    const std::string folder = ParentFolder(linkPath);
    if (planned_.Kind(folder) != EntryKind::Missing) {
        return planned_.CanChange(folder);
    }
    // The run makes the artist folder first; one it made takes every link.
    if (!planned_.CanChange(ParentFolder(folder))) {
        return false;
    }
    planned_.Apply(Change::MakeFolder(folder));
    return true;
}

// The change, when its folder takes changes; else `kept` stays as it is.
Change DryRunExecutor::InOpenFolder(const Change& change, const std::string& kept) const {
    return planned_.CanChange(ParentFolder(change.path))
               ? change
               : Change::Keep(kept, Reason::FolderNotWritable);
}

// What making the change would come to: a rename fails on a taken name, a link replaces
// nothing but a symbolic link, and nothing changes in a folder closed to changes.
Change DryRunExecutor::Decide(const Change& change) {
    switch (change.kind) {
        case ChangeKind::Rename: {
            const bool sameFile =
                change.identity != FileIdentity{} && planned_.IsFile(change.other, change.identity);
            if (planned_.Kind(change.other) != EntryKind::Missing && !sameFile &&
                !IsCaseOnlyChange(change.path, change.other)) {
                return Change::Keep(change.path, Reason::NameTaken);
            }
            return InOpenFolder(change, change.path);
        }
        case ChangeKind::Link: {
            if (!CanLinkInto(change.path)) {
                return Change::Keep(change.other, Reason::FolderNotWritable);
            }
            const EntryKind kind = planned_.Kind(change.path);
            return kind == EntryKind::SymbolicLink || kind == EntryKind::Missing
                       ? change
                       : Change::Keep(change.other, Reason::NameTaken);
        }
        case ChangeKind::MakeFolder:
            if (planned_.Kind(change.path) != EntryKind::Missing) {
                return Change::Keep(change.path, Reason::NameTaken);
            }
            return InOpenFolder(change, change.path);
        case ChangeKind::Delete:
        case ChangeKind::RemoveFolder:
        case ChangeKind::Retag:
            return InOpenFolder(change, change.path);
        case ChangeKind::Keep:
            break;
    }
    return change;
}
