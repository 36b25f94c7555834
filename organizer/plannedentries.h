#pragma once

#include <string>
#include <unordered_map>

#include "organizer/journal.h"
#include "platform/fileentry.h"

// What is at a path as a preview sees it: the disk, with the changes the preview has shown so
// far applied on top, so that a later change is judged as the real run would judge it.
class PlannedEntries {
public:
    EntryKind Kind(const std::string& path) const;
    // True when the entry at `path` is the file `identity`.
    bool IsFile(const std::string& path, const FileIdentity& identity) const;
    // True when the entry at `path` is a symbolic link holding exactly `target`.
    bool IsLinkTo(const std::string& path, const std::string& target) const;

    // Takes `change` as made.
    void Apply(const JournalChange& change);

private:
    struct Entry {
        EntryKind kind = EntryKind::Missing;
        std::string target;     // a link's
        FileIdentity identity;  // a file's
    };
    std::unordered_map<std::string, Entry> entries_;
};
