#include "organizer/plannedentries.h"

#include "platform/shelllink.h"

EntryKind PlannedEntries::Kind(const std::string& path) const {
    const auto planned = entries_.find(path);
    return planned != entries_.end() ? planned->second.kind : EntryKindOf(path);
}

Sameness PlannedEntries::FileAt(const std::string& path, const FileIdentity& identity) const {
    const auto planned = entries_.find(path);
    if (planned != entries_.end()) {
        const bool same =
            planned->second.kind == EntryKind::Other && planned->second.identity == identity;
        return same ? Sameness::Same : Sameness::Other;
    }
    FileIdentity found;
    return IdentityOf(path, found) ? CompareIdentity(identity, found) : Sameness::Other;
}

bool PlannedEntries::IsLinkTo(const std::string& path, const std::string& target) const {
    const auto planned = entries_.find(path);
    if (planned != entries_.end()) {
        return planned->second.kind == EntryKind::SymbolicLink && planned->second.target == target;
    }
    std::string found;
    return ReadShortcut(path, found) && found == target;
}

bool PlannedEntries::CanChange(const std::string& folder) const {
    const auto known = changeable_.find(folder);
    if (known != changeable_.end()) {
        return known->second;
    }
    return changeable_[folder] = CanChangeFolder(folder);
}

void PlannedEntries::Apply(const Change& change) {
    switch (change.kind) {
        case ChangeKind::Rename:
            entries_[change.path] = {};
            entries_[change.other] = {EntryKind::Other, {}, change.identity};
            break;
        case ChangeKind::Link:
            entries_[change.path] = {EntryKind::SymbolicLink, change.other, {}};
            break;
        case ChangeKind::Delete:
        case ChangeKind::RemoveFolder:
            entries_[change.path] = {};
            break;
        case ChangeKind::MakeFolder:
            entries_[change.path] = {EntryKind::Folder, {}, {}};
            changeable_[change.path] = true;
            break;
        case ChangeKind::Retag:  // the file keeps its name
        case ChangeKind::Keep:
            break;
    }
}
