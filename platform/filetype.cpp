#include "platform/filetype.h"

#include <sys/stat.h>

bool IsSymbolicLink(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}
