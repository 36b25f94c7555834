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

// The most ReadWholeFile reads unless told otherwise: 256 MiB, room for a run journal of a
// million changes (about 200 MB), and far from what a process can hold.
inline constexpr std::size_t kWholeFileLimit = std::size_t{256} << 20;

// Whether ReadWholeFile opens a file through a symbolic link in its last part.
enum class FinalLink { kRefuse, kFollow };

// Appends the whole file at `path`, at most `limit` bytes, to `text`. Only a regular file is
// read, opened without waiting, so that a named pipe, a device or a folder in its place can
// neither block the program nor feed it without end; a symbolic link is refused unless `link`
// says otherwise. Returns 0, or an errno with `text` as it was: ELOOP for a refused link,
// EISDIR for a folder, EINVAL for any other file that is not regular, EFBIG for one larger
// than `limit`, else that of the failed open or read.
int ReadWholeFile(const std::string& path, std::string& text, std::size_t limit = kWholeFileLimit,
                  FinalLink link = FinalLink::kRefuse);
