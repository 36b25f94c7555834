#include "organizer/tagwriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "organizer/headregion.h"
#include "platform/absolutepath.h"
#include "platform/filedescriptor.h"

namespace {

constexpr std::size_t kPageSize = 4096;
constexpr std::size_t kCopyPiece = 1 << 20;

std::string ReadStart(int fd, std::size_t count) {
    std::string bytes(count, '\0');
    bytes.resize(ReadAt(fd, bytes.data(), count, 0));
    return bytes;
}

int WriteAll(int fd, std::string_view bytes, off_t offset) {
    while (!bytes.empty()) {
        const ssize_t written = pwrite(fd, bytes.data(), bytes.size(), offset);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += written;
    }
    return 0;
}

// The bytes of `from` from `offset` to its end, appended to `to` at `at`.
int CopyRest(int from, off_t offset, int to, off_t at) {
    std::string buffer(kCopyPiece, '\0');
    for (;;) {
        const ssize_t got = pread(from, buffer.data(), buffer.size(), offset);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got < 0 ? errno : 0;
        }
        if (const int error = WriteAll(to, std::string_view(buffer.data(), got), at)) {
            return error;
        }
        offset += got;
        at += got;
    }
}

class DescriptorBytes final : public ByteSource {
public:
    explicit DescriptorBytes(int fd, std::size_t size) : fd_(fd), size_(size) {}
    std::size_t Size() const override { return size_; }
    std::string Read(std::size_t offset, std::size_t count) const override {
        std::string bytes(offset < size_ ? std::min(count, size_ - offset) : 0, '\0');
        bytes.resize(ReadAt(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset)));
        return bytes;
    }

private:
    int fd_;
    std::size_t size_;
};

// True when the first `size` bytes of the file are its whole head region (none for 0): an edit
// replaces a tag as a whole, and an empty source must not match a file that has one since.
bool IsWholeTag(int fd, const struct stat& file, std::size_t size) {
    return HeadRegionSize(DescriptorBytes(fd, static_cast<std::size_t>(file.st_size))) == size;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Writes the changed bytes in place when they lie in one page; false when they do not.
bool WriteInPlace(int fd, const std::string& source, const std::string& result, int& error) {
    if (source.size() != result.size()) {
        return false;
    }
    std::size_t first = 0;
    while (first < source.size() && source[first] == result[first]) {
        ++first;
    }
    if (first == source.size()) {
        error = 0;
        return true;
    }
    std::size_t last = source.size() - 1;
    while (source[last] == result[last]) {
        --last;
    }
    if (first / kPageSize != last / kPageSize) {
        return false;
    }
    error = WriteAll(fd, std::string_view(result).substr(first, last - first + 1),
                     static_cast<off_t>(first));
    return true;
}

// Puts the unnamed file `fd` in place of `path` (in `folder`) while `path` is still `before`.
int ReplaceWith(int fd, const std::string& path, const std::string& folder,
                const struct stat& before, int original) {
    struct stat now {};
    struct stat named {};
    if (fstat(original, &now) != 0 || stat(path.c_str(), &named) != 0 || !SameFile(before, now) ||
        !SameFile(before, named)) {
        return ESTALE;
    }
    const std::string prefix = TemporaryRetagPrefix(folder, getpid());
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = prefix + std::to_string(attempt);
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST) {
                continue;
            }
            return errno;
        }
        if (rename(temporary.c_str(), path.c_str()) != 0) {
            const int error = errno;
            unlink(temporary.c_str());
            return error;
        }
        const FileDescriptor directory(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (directory) {
            fsync(directory.get());
        }
        return 0;
    }
    return EEXIST;
}

int WriteAnew(int original, const std::string& path, const std::string& result,
              std::size_t sourceLength, const struct stat& before) {
    const std::string folder = FolderPartWithSlash(path);
    const FileDescriptor file(
        open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (!file) {
        return errno;
    }
    int error = WriteAll(file.get(), result, 0);
    if (error == 0) {
        error = CopyRest(original, static_cast<off_t>(sourceLength), file.get(),
                         static_cast<off_t>(result.size()));
    }
    // The owner first: changing it clears the set-id bits the mode then gives back.
    if (error == 0 && fchown(file.get(), before.st_uid, before.st_gid) != 0 && errno != EPERM) {
        error = errno;
    }
    if (error == 0 && fchmod(file.get(), before.st_mode & 07777) != 0) {
        error = errno;
    }
    if (error == 0 && fsync(file.get()) != 0) {
        error = errno;
    }
    return error != 0 ? error : ReplaceWith(file.get(), path, folder, before, original);
}

}  // namespace

int WriteTagEdit(const std::string& path, const TagEdit& edit) {
    const FileDescriptor file(open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file) {
        return errno == ELOOP ? EINVAL : errno;
    }
    struct stat before {};
    if (fstat(file.get(), &before) != 0) {
        return errno;
    }
    if (!S_ISREG(before.st_mode)) {
        return EINVAL;
    }
    const std::string source = ReadStart(file.get(), edit.sourceLength);
    const std::optional<std::string> result =
        IsWholeTag(file.get(), before, edit.sourceLength) ? ApplyTagEdit(edit, source) : std::nullopt;
    if (!result) {
        const std::string start = ReadStart(file.get(), edit.resultLength);
        return IsWholeTag(file.get(), before, edit.resultLength) && start.size() == edit.resultLength &&
                       RegionCrc(start) == edit.resultCrc
                   ? EALREADY
                   : ESTALE;
    }
    int error = 0;
    if (WriteInPlace(file.get(), source, *result, error)) {
        return error;
    }
    return WriteAnew(file.get(), path, *result, edit.sourceLength, before);
}

std::string TemporaryRetagPrefix(const std::string& folder, long pid) {
    return folder + ".sortune-retag-" + std::to_string(pid) + "-";
}
