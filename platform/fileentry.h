#pragma once

#include <string>

// What is at a path, as the run and the command line need to know before they act: the kind
// of entry, whether a folder can be listed, and whether it takes new names.

enum class EntryKind {
    Missing,  // nothing there, or nothing that can be looked at
    Folder,
    SymbolicLink,  // only when links are not followed
    Other,         // a file, a device, a socket...
};

// The entry at `path` itself: a symbolic link is reported as one, not followed.
EntryKind EntryKindOf(const std::string& path);

// The entry `path` leads to, following symbolic links. Returns 0 and sets `kind`, or the
// errno that says why nothing could be looked at there (ENOENT, EACCES, ELOOP...).
int ResolvedKindOf(const std::string& path, EntryKind& kind);

// 0 when the folder's entries can be listed, else the errno that says why not.
int CheckFolderListable(const std::string& folder);

// True when new names can be made in `folder` and old ones removed: it can be written and
// searched by this process, on a file system mounted for writing.
bool CanChangeFolder(const std::string& folder);
