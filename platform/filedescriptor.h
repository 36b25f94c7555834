#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <string>
#include <string_view>

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

// Reads up to `count` bytes at `offset` of `fd`, going on after a signal; fewer when the file
// ends or a read fails (what was read is all there is).
std::size_t ReadAt(int fd, char* buffer, std::size_t count, off_t offset);

// Writes all of `bytes` to `fd`, going on after a signal and after a short write. Returns 0
// or the errno of the failed write.
int WriteAll(int fd, std::string_view bytes);

// Appends the whole file at `path` to `text`. Returns 0 or the errno of the failed open or
// read.
int ReadWholeFile(const std::string& path, std::string& text);
