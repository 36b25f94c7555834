#include "organizer/tagwriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "organizer/tagregion.h"
#include "platform/absolutepath.h"
#include "platform/filedescriptor.h"

namespace {

constexpr std::size_t kPageSize = 4096;
constexpr std::size_t kCopyPiece = 1 << 20;

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

// The bytes of `from` from `offset` up to `end`, appended to `to` at `at`.
int CopyRange(int from, off_t offset, off_t end, int to, off_t at) {
    std::string buffer(kCopyPiece, '\0');
    while (offset < end) {
        const auto piece = static_cast<std::size_t>(std::min<off_t>(end - offset, kCopyPiece));
        const ssize_t got = pread(from, buffer.data(), piece, offset);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got < 0 ? errno : ESTALE;  // the file was cut short meanwhile
        }
        if (const int error = WriteAll(to, std::string_view(buffer.data(), got), at)) {
            return error;
        }
        offset += got;
        at += got;
    }
    return 0;
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

// The bytes of the file where `edit` stands that make its whole tag region, if they are
// `length` bytes long: an edit replaces a region as a whole, and an empty source must not
// match a file that has a tag since.
std::optional<std::string> WholeRegion(const ByteSource& file, TagRegion region,
                                       std::size_t length) {
    if (TagRegionSize(file, region) != length) {
        return std::nullopt;
    }
    std::string bytes = TagRegionBytes(file, region, length);
    if (bytes.size() != length) {
        return std::nullopt;
    }
    return bytes;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Writes the changed bytes of the region at `base` in place when they lie in one page, with
// one call; false when they do not. A region at the end may grow so, a region at the start
// only keep its size.
bool WriteInPlace(int fd, const std::string& source, const std::string& result, off_t base,
                  TagRegion region, int& error) {
    const bool grows = region == TagRegion::Tail && result.size() > source.size();
    if (source.size() != result.size() && !grows) {
        return false;
    }
    std::size_t first = 0;
    while (first < source.size() && source[first] == result[first]) {
        ++first;
    }
    if (first == result.size()) {
        error = 0;
        return true;
    }
    std::size_t last = result.size() - 1;
    while (!grows && source[last] == result[last]) {
        --last;
    }
    const auto page = [base](std::size_t at) {
        return (static_cast<std::size_t>(base) + at) / kPageSize;
    };
    if (page(first) != page(last)) {
        return false;
    }
    error = WriteAll(fd, std::string_view(result).substr(first, last - first + 1),
                     base + static_cast<off_t>(first));
    return true;
}

// Puts the new file, named `temporary`, at `path` only while `path` still names the original
// file `before`: another process may rename or replace it after the look, and a plain rename
// would then put a second copy beside it or write over another file. The two names are
// swapped in one call and what the swap took away is looked at; anything but the original
// goes back. A kill after the swap leaves the original under the temporary name, which the
// take-back removes. Where the file system cannot swap, a rename follows the look.
int PutInPlace(const std::string& temporary, const std::string& path, const struct stat& before) {
    if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) != 0) {
        const int error = errno;
        const bool unsupported = error == EINVAL || error == ENOSYS || error == ENOTSUP;
        if (unsupported && rename(temporary.c_str(), path.c_str()) == 0) {
            return 0;
        }
        unlink(temporary.c_str());
        return error == ENOENT ? ESTALE : error;
    }
    struct stat swapped {};
    if (lstat(temporary.c_str(), &swapped) == 0 && swapped.st_dev == before.st_dev &&
        swapped.st_ino == before.st_ino) {
        unlink(temporary.c_str());
        return 0;
    }
    // When even the swap back fails, the other file stays under the temporary name, not lost.
    if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0) {
        unlink(temporary.c_str());
    }
    return ESTALE;
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
        if (const int error = PutInPlace(temporary, path, before)) {
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

// The file with the region replaced, written to an unnamed file in its folder and put in place.
int WriteAnew(int original, const std::string& path, const std::string& result, const TagEdit& edit,
              const struct stat& before) {
    const std::string folder = FolderPartWithSlash(path);
    const FileDescriptor file(
        open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (!file) {
        return errno;
    }
    const auto source = static_cast<off_t>(edit.sourceLength);
    const off_t size = before.st_size;
    int error = 0;
    if (edit.region == TagRegion::Head) {
        error = WriteAll(file.get(), result, 0);
        if (error == 0) {
            error =
                CopyRange(original, source, size, file.get(), static_cast<off_t>(result.size()));
        }
    } else {
        error = CopyRange(original, 0, size - source, file.get(), 0);
        if (error == 0) {
            error = WriteAll(file.get(), result, size - source);
        }
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
    const DescriptorBytes bytes(file.get(), static_cast<std::size_t>(before.st_size));
    const std::optional<std::string> source = WholeRegion(bytes, edit.region, edit.sourceLength);
    const std::optional<std::string> result = source ? ApplyTagEdit(edit, *source) : std::nullopt;
    if (!result) {
        const std::optional<std::string> now = WholeRegion(bytes, edit.region, edit.resultLength);
        return now && RegionCrc(*now) == edit.resultCrc ? EALREADY : ESTALE;
    }
    const off_t base =
        edit.region == TagRegion::Head ? 0 : before.st_size - static_cast<off_t>(edit.sourceLength);
    int error = 0;
    if (WriteInPlace(file.get(), *source, *result, base, edit.region, error)) {
        return error;
    }
    return WriteAnew(file.get(), path, *result, edit, before);
}

std::string TemporaryRetagPrefix(const std::string& folder, long pid) {
    return folder + ".sortune-retag-" + std::to_string(pid) + "-";
}
