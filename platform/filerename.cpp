#include "platform/filerename.h"

#include "platform/filerename_p.h"

#include <fcntl.h>
#include <stdio.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

bool SameFile(const std::string& a, const std::string& b) {
    struct stat infoA {};
    struct stat infoB {};
    return lstat(a.c_str(), &infoA) == 0 && lstat(b.c_str(), &infoB) == 0 &&
           infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
}

// The new name is taken: only a change of letter case of the same file goes ahead.
bool MoveOntoTakenName(const std::string& from, const std::string& to) {
    if (IsCaseOnlyChange(from, to)) {
        return rename(from.c_str(), to.c_str()) == 0;
    }
    errno = EEXIST;
    return false;
}

}  // namespace

bool IsCaseOnlyChange(const std::string& from, const std::string& to) {
    return from.size() == to.size() && strcasecmp(from.c_str(), to.c_str()) == 0 &&
           SameFile(from, to);
}

namespace rename_detail {

// For file systems without RENAME_NOREPLACE: a hard link is created only when the name is
// free, atomically; removing the old name then completes the move.
bool MoveByLink(const std::string& from, const std::string& to) {
    if (link(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    if (unlink(from.c_str()) != 0) {
        const int error = errno;
        unlink(to.c_str());
        errno = error;
        return false;
    }
    return true;
}

// Last resort where neither is supported (no hard links either): look, then rename. The
// window between the two is as small as it can be made here.
bool MoveAfterCheck(const std::string& from, const std::string& to) {
    struct stat info {};
    if (lstat(to.c_str(), &info) == 0) {
        return MoveOntoTakenName(from, to);
    }
    return rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace rename_detail

bool MoveFile(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno == EEXIST) {
        return MoveOntoTakenName(from, to);
    }
    if (!rename_detail::IsUnsupported(errno)) {
        return false;
    }
    struct stat info {};
    if (lstat(from.c_str(), &info) != 0) {
        return false;
    }
    if (!S_ISDIR(info.st_mode) && rename_detail::MoveByLink(from, to)) {
        return true;
    }
    if (errno == EEXIST) {
        return MoveOntoTakenName(from, to);
    }
    return rename_detail::MoveAfterCheck(from, to);
}
