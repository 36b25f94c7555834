#include "platform/atomicfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/absolutepath.h"
#include "platform/filedescriptor.h"

int WriteTemporaryBeside(const std::string& path, std::string_view bytes, mode_t mode,
                         std::string& temporary) {
    temporary = path + ".XXXXXX";
    FileDescriptor file(mkostemp(temporary.data(), O_CLOEXEC));
    if (file.get() < 0) {
        return errno;
    }
    int error = WriteAll(file.get(), bytes);
    if (error == 0 && fchmod(file.get(), mode) != 0) {
        error = errno;
    }
    if (error == 0 && fsync(file.get()) != 0) {
        error = errno;
    }
    const int closeError = file.Close();
    error = error != 0 ? error : closeError;
    if (error != 0) {
        unlink(temporary.c_str());
    }
    return error;
}

void SyncFolder(const std::string& folder) {
    const FileDescriptor dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) {
        fsync(dir.get());
    }
}

int WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t mode) {
    if (const int error = ReplaceFile(path, bytes, mode)) {
        return error;
    }
    const std::string folder = ParentFolder(path);
    SyncFolder(folder.empty() ? "." : folder);
    return 0;
}

int ReplaceFile(const std::string& path, std::string_view bytes, mode_t mode) {
    std::string temporary;
    if (const int error = WriteTemporaryBeside(path, bytes, mode, temporary)) {
        return error;
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        return error;
    }
    return 0;
}
