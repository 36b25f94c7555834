#pragma once

#include <string>
#include <unordered_map>

#include "organizer/change.h"
#include "platform/fileentry.h"

// What is at a path as the changes so far left it: the disk, with the changes a preview has
// shown applied on top (none for a real run), so that a later change is judged as the real
// run would judge it.
class PlannedEntries {
public:
    EntryKind Kind(const std::string& path) const;
    // Whether the entry at `path` is the file `identity` was taken of.
    Sameness FileAt(const std::string& path, const FileIdentity& identity) const;
    bool IsFile(const std::string& path, const FileIdentity& identity) const {
        return FileAt(path, identity) == Sameness::Same;
    }
    // True when the entry at `path` is a symbolic link holding exactly `target`.
    bool IsLinkTo(const std::string& path, const std::string& target) const;
    // True when new names can be made in `folder`; a folder planned to be made can.
    bool CanChange(const std::string& folder) const;

    // Takes `change` as made.
    void Apply(const Change& change);

private:
    struct Entry {
        EntryKind kind = EntryKind::Missing;
        std::string target;     // a link's
        FileIdentity identity;  // a file's
    };
    std::unordered_map<std::string, Entry> entries_;
    mutable std::unordered_map<std::string, bool> changeable_;  // folders looked at, by path
};
