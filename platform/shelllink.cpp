#include "platform/shelllink.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/absolutepath.h"
#include "platform/filerename.h"
#include "platform/filerename_p.h"

namespace {

bool IsSymbolicLink(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// True when `path` is a symbolic link holding exactly `target`.
bool IsLinkTo(const std::string& path, const std::string& target) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return false;
    }
    std::string buffer(target.size() + 1, '\0');  // one byte more shows a longer target
    const ssize_t length = readlink(path.c_str(), buffer.data(), buffer.size());
    return length >= 0 &&
           std::string_view(buffer.data(), static_cast<std::size_t>(length)) == target;
}

// Makes the new link under a short temporary name beside its final place: the final name
// may already be near the file system's limit, and a rename works only within one folder.
bool MakeTemporaryLink(const std::string& target, const std::string& linkPath,
                       std::string& temporary) {
    const std::string prefix = TemporaryLinkPrefix(FolderPartWithSlash(linkPath), getpid());
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = prefix + std::to_string(attempt);
        if (symlink(target.c_str(), temporary.c_str()) == 0) {
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

bool Exchange(const std::string& a, const std::string& b) {
    return renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0;
}

// Something other than a link took the name between the look and the swap, and now sits under
// the temporary name: it goes back. When the swap back fails (our link was removed, say), it
// is moved back to its free name, and failing that left where it is rather than lost.
void PutBack(const std::string& temporary, const std::string& linkPath) {
    if (!Exchange(temporary, linkPath)) {
        MoveFile(temporary, linkPath);
    }
}

// `linkPath` was a symbolic link a moment ago. The swap is atomic, and what came back is
// looked at afterwards: only a symbolic link is deleted.
bool ReplaceLink(const std::string& temporary, const std::string& linkPath) {
    if (Exchange(temporary, linkPath)) {
        if (IsSymbolicLink(temporary)) {
            unlink(temporary.c_str());  // the link that was replaced
            return true;
        }
        PutBack(temporary, linkPath);
        errno = EEXIST;
        return false;
    }
    // Without an atomic swap the window since the look is as small as it gets here.
    return rename_detail::IsUnsupported(errno) && rename(temporary.c_str(), linkPath.c_str()) == 0;
}

// Only a free name or a symbolic link is ever touched: a file or folder of that name (a
// Windows shortcut, say) never moves, not even for a moment.
bool MoveLinkIntoPlace(const std::string& temporary, const std::string& linkPath) {
    struct stat info {};
    if (lstat(linkPath.c_str(), &info) != 0) {
        return errno == ENOENT && MoveFile(temporary, linkPath);
    }
    if (!S_ISLNK(info.st_mode)) {
        errno = EEXIST;
        return false;
    }
    return ReplaceLink(temporary, linkPath);
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
    const int error = errno;
    // After a failed swap back the temporary name may hold someone else's entry: only the
    // link made above is deleted.
    if (IsLinkTo(temporary, target)) {
        unlink(temporary.c_str());
    }
    errno = error;
    return false;
}

bool DeleteDeadShortcut(const std::string& linkPath) {
    // Looked at again: the entry may have changed since the walk saw it.
    if (InspectShortcut(linkPath) != ShortcutState::Dead) {
        errno = 0;
        return false;
    }
    return unlink(linkPath.c_str()) == 0;
}

bool ReadShortcut(const std::string& linkPath, std::string& target) {
    if (!IsSymbolicLink(linkPath)) {
        return false;
    }
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t length = readlink(linkPath.c_str(), buffer.data(), buffer.size());
        if (length < 0) {
            return false;
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            target.assign(buffer.data(), static_cast<std::size_t>(length));
            return true;
        }
        buffer.resize(buffer.size() * 2);  // the target may have been cut: read it again
    }
}

bool CreateShortcutIfFree(const std::string& target, const std::string& linkPath) {
    return symlink(target.c_str(), linkPath.c_str()) == 0;
}

bool RemoveShortcutTo(const std::string& linkPath, const std::string& target) {
    if (!IsLinkTo(linkPath, target)) {
        errno = 0;
        return false;
    }
    return unlink(linkPath.c_str()) == 0;
}

std::string TemporaryLinkPrefix(const std::string& folder, long pid) {
    return folder + ".sortune-link-" + std::to_string(pid) + "-";
}
