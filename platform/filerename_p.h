#pragma once

#include <string>

#include <cerrno>

// The fallbacks of MoveFile for file systems without RENAME_NOREPLACE, open to the tests, and
// what tells that a file system lacks a call.
namespace rename_detail {

// The errors of a call the file system does not support (renameat2's flags, say).
inline bool IsUnsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == ENOTSUP;
}

// Links the new name (which fails when it is taken), then removes the old one.
bool MoveByLink(const std::string& from, const std::string& to);
// Looks whether the new name is free, then renames: for file systems without hard links.
bool MoveAfterCheck(const std::string& from, const std::string& to);

}  // namespace rename_detail
