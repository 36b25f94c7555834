#include "platform/filedescriptor.h"

std::size_t ReadAt(int fd, char* buffer, std::size_t count, off_t offset) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = pread(fd, buffer + done, count - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}
