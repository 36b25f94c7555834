#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

// Replacing a whole file so that a reader, or the system after a crash, finds the old content
// or the new one, never a mix: the new bytes go to a file of their own beside the old one,
// reach the disk, and are then renamed over it (a rename works only within one folder).

// Writes `bytes` to a new file with a unique name beside `path` and the permissions `mode`
// (the umask plays no part), and syncs it. Returns 0 and sets `temporary` to its name, or an
// errno and leaves no file.
int WriteTemporaryBeside(const std::string& path, std::string_view bytes, mode_t mode,
                         std::string& temporary);

// Makes the renames in `folder` durable. File systems that cannot sync a folder say so with an
// error that changes nothing for the caller, so there is no result.
void SyncFolder(const std::string& folder);

// Replaces the file at `path`, or makes it, with one holding `bytes` and the permissions
// `mode`. Returns 0, or an errno with `path` as it was and no temporary file left.
int WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t mode);

// WriteFileAtomically without the sync of the folder: the rename is durable once SyncFolder
// has run on it. For many files written together, whose folders are synced once for all.
int ReplaceFile(const std::string& path, std::string_view bytes, mode_t mode);
