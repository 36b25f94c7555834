#include "platform/fileentry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

EntryKind KindOfMode(mode_t mode) {
    if (S_ISDIR(mode)) {
        return EntryKind::Folder;
    }
    return S_ISLNK(mode) ? EntryKind::SymbolicLink : EntryKind::Other;
}

}  // namespace

EntryKind EntryKindOf(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 ? KindOfMode(info.st_mode) : EntryKind::Missing;
}

bool IdentityOf(const std::string& path, FileIdentity& identity) {
    struct statx info {};
    constexpr unsigned kWanted = STATX_INO | STATX_BTIME | STATX_SIZE | STATX_MTIME;
    if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, kWanted, &info) != 0) {
        return false;
    }
    const auto nanoseconds = [](const statx_timestamp& time) {
        return time.tv_sec * 1'000'000'000LL + time.tv_nsec;
    };
    identity.device = makedev(info.stx_dev_major, info.stx_dev_minor);
    identity.inode = info.stx_ino;
    identity.birth = (info.stx_mask & STATX_BTIME) != 0 ? nanoseconds(info.stx_btime) : 0;
    identity.size = static_cast<std::int64_t>(info.stx_size);
    identity.modified = nanoseconds(info.stx_mtime);
    return true;
}

std::string ResolvedPath(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return {};
    }
    std::string text(resolved);
    std::free(resolved);
    return text;
}

int CheckPrivateFolder(const std::string& folder) {
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0) {
        return errno;
    }
    if (S_ISLNK(info.st_mode)) {
        return ELOOP;
    }
    if (!S_ISDIR(info.st_mode)) {
        return ENOTDIR;
    }
    if (info.st_uid != geteuid()) {
        return EPERM;
    }
    if ((info.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0) {
        return errno;
    }
    return 0;
}

Sameness CompareIdentity(const FileIdentity& recorded, const FileIdentity& found) {
    if (recorded.device != found.device || recorded.inode != found.inode) {
        return Sameness::Other;
    }
    if (recorded.birth != 0 && found.birth != 0) {
        return recorded.birth == found.birth ? Sameness::Same : Sameness::Other;
    }
    if (recorded.size < 0 || recorded.modified == 0) {
        return Sameness::Uncertain;
    }
    return recorded.size == found.size && recorded.modified == found.modified ? Sameness::Same
                                                                              : Sameness::Other;
}

int ResolvedKindOf(const std::string& path, EntryKind& kind) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        kind = EntryKind::Missing;
        return errno;
    }
    kind = KindOfMode(info.st_mode);
    return 0;
}

int CheckFolderListable(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return errno;
    }
    errno = 0;
    // Opening can succeed where reading fails (a folder of a broken file system).
    const bool readable = readdir(dir) != nullptr || errno == 0;
    const int error = errno;
    closedir(dir);
    return readable ? 0 : error;
}

bool CanChangeFolder(const std::string& folder) {
    // The effective ids decide, as they do for the rename itself; a read-only mount answers
    // EROFS here too.
    return faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}
