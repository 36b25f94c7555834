#include "platform/readonlyfile.h"

#include <fcntl.h>
#include <sys/stat.h>

// Non-blocking, so that opening a named pipe returns at once instead of waiting for a writer.
ReadOnlyFile::ReadOnlyFile(const std::string& path)
    : file_(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {
    struct stat info {};
    if (file_ && fstat(file_.get(), &info) == 0 && S_ISREG(info.st_mode)) {
        size_ = static_cast<std::size_t>(info.st_size);
    } else if (file_) {
        file_.Close();
    }
}

std::size_t ReadOnlyFile::ReadAt(char* buffer, std::size_t count, std::size_t offset) const {
    if (!file_ || offset >= size_) {
        return 0;
    }
    return ::ReadAt(file_.get(), buffer, count, static_cast<off_t>(offset));
}
