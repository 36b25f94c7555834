#include "platform/filedescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>

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

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

namespace {

// 0 when `fd` is a regular file of at most `limit` bytes, else the errno that refuses it.
int CheckRegularFile(int fd, std::size_t limit) {
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        return errno;
    }
    if (S_ISDIR(info.st_mode)) {
        return EISDIR;
    }
    if (!S_ISREG(info.st_mode)) {
        return EINVAL;
    }
    return static_cast<std::uintmax_t>(info.st_size) > limit ? EFBIG : 0;
}

// Appends what `fd` holds to `text`, up to one byte past `limit`, so that a file that grew
// after it was checked is still caught. Returns 0 or the errno of the failed read.
int AppendUpTo(int fd, std::size_t limit, std::string& text) {
    char buffer[65536];
    for (std::size_t total = 0; total <= limit;) {
        const ssize_t got = read(fd, buffer, std::min(sizeof buffer, limit + 1 - total));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got < 0 ? errno : 0;
        }
        text.append(buffer, static_cast<std::size_t>(got));
        total += static_cast<std::size_t>(got);
    }
    return 0;
}

}  // namespace

int ReadWholeFile(const std::string& path, std::string& text, std::size_t limit, FinalLink link) {
    const int flags =
        O_RDONLY | O_CLOEXEC | O_NONBLOCK | (link == FinalLink::kRefuse ? O_NOFOLLOW : 0);
    const FileDescriptor file(open(path.c_str(), flags));
    if (!file) {
        return errno;
    }
    if (const int error = CheckRegularFile(file.get(), limit)) {
        return error;
    }
    const std::size_t start = text.size();
    int error = AppendUpTo(file.get(), limit, text);
    if (error == 0 && text.size() - start > limit) {
        error = EFBIG;
    }
    if (error != 0) {
        text.resize(start);
    }
    return error;
}
