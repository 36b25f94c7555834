#include "platform/appendfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/filedescriptor.h"

int AppendFile::Create(const std::string& path) {
    Close();
    fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    return fd_ >= 0 ? 0 : errno;
}

int AppendFile::Append(std::string_view bytes) {
    return fd_ >= 0 ? WriteAll(fd_, bytes) : EBADF;
}

int AppendFile::Sync() {
    return fd_ < 0 || fdatasync(fd_) == 0 ? 0 : errno;
}

int AppendFile::Close() {
    if (fd_ < 0) {
        return 0;
    }
    const int result = close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
}
