#include "organizer/shortcut.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

bool IsSymbolicLink(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool IsUnsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == ENOTSUP;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Makes the new link under a short temporary name beside its final place: the final name
// may already be near the file system's limit, and a rename works only within one folder.
bool MakeTemporaryLink(const std::string& target, const std::string& linkPath,
                       std::string& temporary) {
    const std::string prefix = FolderOf(linkPath) + ".sortune-link-" + std::to_string(getpid());
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = prefix + "-" + std::to_string(attempt);
        if (symlink(target.c_str(), temporary.c_str()) == 0) {
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

// The name is taken. Swapping the two names is atomic, and what was there can be looked at
// afterwards: a symbolic link goes, anything else is swapped back untouched.
bool ReplaceLink(const std::string& temporary, const std::string& linkPath) {
    if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, linkPath.c_str(), RENAME_EXCHANGE) == 0) {
        if (IsSymbolicLink(temporary)) {
            unlink(temporary.c_str());  // the link that was replaced
            return true;
        }
        renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, linkPath.c_str(), RENAME_EXCHANGE);
        return false;
    }
    // Without an atomic swap, look first; the gap to the rename is as small as it gets here.
    return IsUnsupported(errno) && IsSymbolicLink(linkPath) &&
           rename(temporary.c_str(), linkPath.c_str()) == 0;
}

bool MoveLinkIntoPlace(const std::string& temporary, const std::string& linkPath) {
    if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, linkPath.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno == EEXIST) {
        return ReplaceLink(temporary, linkPath);
    }
    if (!IsUnsupported(errno)) {
        return false;
    }
    struct stat info {};
    if (lstat(linkPath.c_str(), &info) != 0) {
        return errno == ENOENT && rename(temporary.c_str(), linkPath.c_str()) == 0;
    }
    return S_ISLNK(info.st_mode) && rename(temporary.c_str(), linkPath.c_str()) == 0;
}

}  // namespace

ShortcutState InspectShortcut(const std::string& linkPath) {
    if (!IsSymbolicLink(linkPath)) {
        return ShortcutState::NotALink;
    }
    struct stat target {};
    if (stat(linkPath.c_str(), &target) == 0) {
        return ShortcutState::Live;
    }
    return errno == ENOENT || errno == ENOTDIR ? ShortcutState::Dead : ShortcutState::Unchecked;
}

bool CreateShortcut(const std::string& target, const std::string& linkPath) {
    std::string temporary;
    if (!MakeTemporaryLink(target, linkPath, temporary)) {
        return false;
    }
    if (MoveLinkIntoPlace(temporary, linkPath)) {
        return true;
    }
    unlink(temporary.c_str());
    return false;
}

bool DeleteDeadShortcut(const std::string& linkPath) {
    // Looked at again: the entry may have changed since the walk saw it.
    return InspectShortcut(linkPath) == ShortcutState::Dead && unlink(linkPath.c_str()) == 0;
}
