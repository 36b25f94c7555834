#include "platform/folderlock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

FolderLock::~FolderLock() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

int FolderLock::TryLock(const std::string& folder, Kind kind) {
    if (fd_ >= 0) {
        return EBUSY;
    }
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    const int operation = (kind == Kind::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    while (flock(fd, operation) != 0) {
        if (errno != EINTR) {
            const int error = errno;
            close(fd);
            return error;
        }
    }
    fd_ = fd;
    return 0;
}
