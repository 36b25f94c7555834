#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

// What is at a path, as the run, its undo and the command line need to know before they act:
// the kind of entry, which file it is, whether a folder can be listed, and whether it takes
// new names.

enum class EntryKind {
    Missing,  // nothing there, or nothing that can be looked at
    Folder,
    SymbolicLink,  // only when links are not followed
    Other,         // a file, a device, a socket...
};

// Which file an entry is, under any name. A device and inode alone can name another file once
// the first one is deleted (inode numbers are given out again at once), so the time the file
// was born goes with them where the file system keeps one (0 where it does not: ext2, ext3
// with small inodes, some network file systems; the clock it is read from may step only every
// few milliseconds). Where it does not, what a rename keeps tells the file: its size and the
// time it was last written, to the nanosecond.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    std::int64_t birth = 0;     // nanoseconds since 1970
    std::int64_t size = -1;     // bytes; -1 where not known (journals of older versions)
    std::int64_t modified = 0;  // nanoseconds since 1970; 0 where not known

    bool operator==(const FileIdentity&) const = default;
};

enum class Sameness {
    Same,
    Other,
    Uncertain,  // the same device and inode, but nothing known tells whether it is the file
};

// Whether the entry found now, `found`, is the file `recorded` was taken of. With a birth time
// on both sides it decides; without, the size and the time of the last write do; where
// neither is known the answer is Uncertain, never Same.
Sameness CompareIdentity(const FileIdentity& recorded, const FileIdentity& found);

// The entry at `path` itself: a symbolic link is reported as one, not followed.
EntryKind EntryKindOf(const std::string& path);

// The identity of the entry at `path` itself (a link is not followed). False when nothing can
// be looked at there.
bool IdentityOf(const std::string& path, FileIdentity& identity);

// The entry `path` leads to, following symbolic links. Returns 0 and sets `kind`, or the
// errno that says why nothing could be looked at there (ENOENT, EACCES, ELOOP...).
int ResolvedKindOf(const std::string& path, EntryKind& kind);

// 0 when the folder's entries can be listed, else the errno that says why not.
int CheckFolderListable(const std::string& folder);

// The path `path` leads to with every symbolic link resolved, or "" when it leads nowhere.
std::string ResolvedPath(const std::string& path);

// 0 when `folder` is a folder of this user's own, not a symbolic link, and closed to everyone
// else (it is made so when it was open); else the errno that says why it cannot be trusted
// with the user's private files (ELOOP for a link, ENOTDIR, EPERM when another user owns it).
int CheckPrivateFolder(const std::string& folder);

// True when new names can be made in `folder` and old ones removed: it can be written and
// searched by this process, on a file system mounted for writing.
bool CanChangeFolder(const std::string& folder);
