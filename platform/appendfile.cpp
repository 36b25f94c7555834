#include "platform/appendfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/filedescriptor.h"

int AppendFile::Create(const std::string& path) {
    Close();
    m_fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    return m_fd >= 0 ? 0 : errno;
}

int AppendFile::Append(std::string_view bytes) {
    return m_fd >= 0 ? WriteAll(m_fd, bytes) : EBADF;
}

int AppendFile::Sync() {
    return m_fd < 0 || fdatasync(m_fd) == 0 ? 0 : errno;
}

int AppendFile::Close() {
    if (m_fd < 0) {
        return 0;
    }
    const int result = close(m_fd);
    m_fd = -1;
    return result == 0 ? 0 : errno;
}
