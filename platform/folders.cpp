#include "platform/folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

int MakeFolder(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
}

int RemoveEmptyFolder(const std::string& path) {
    if (rmdir(path.c_str()) == 0) {
        return 0;
    }
    // Some file systems answer EEXIST for a folder that is not empty.
    return errno == EEXIST ? ENOTEMPTY : errno;
}

int RemoveFile(const std::string& path) {
    return unlink(path.c_str()) == 0 ? 0 : errno;
}
