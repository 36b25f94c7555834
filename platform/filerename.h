#pragma once

#include <string>

// Renames a file or folder without ever replacing what is at the new name: when the new
// name is taken the rename fails and both stay as they were. The one exception is a change
// of letter case on a case-insensitive mount (vfat, exfat, ntfs3), where the new name finds
// the very same file; that rename is carried out.
//
// Returns true on success; on failure false with errno set (EEXIST when the name is taken).
bool MoveFile(const std::string& from, const std::string& to);

// True when `to` differs from `from` only in letter case and already finds the very same
// file, as a case-insensitive mount answers: the one rename onto a taken name that goes ahead.
bool IsCaseOnlyChange(const std::string& from, const std::string& to);
