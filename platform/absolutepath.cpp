#include "platform/absolutepath.h"

#include <unistd.h>

#include <climits>

std::string AbsolutePath(const std::string& path) {
    if (path.starts_with('/')) {
        return path;
    }
    char buffer[PATH_MAX];
    if (getcwd(buffer, sizeof buffer) == nullptr) {
        return {};
    }
    const std::string current = buffer;
    if (path.empty() || path == ".") {
        return current;
    }
    return current.ends_with('/') ? current + path : current + "/" + path;
}
