#pragma once

#include <unistd.h>

#include <cerrno>

// Owns an open file descriptor and closes it when it goes; -1 holds none.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }

    // Closes now and returns 0 or the errno of close itself, which can report a delayed
    // write failure that a writer must not miss.
    int Close() {
        const int result = close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd;
};
