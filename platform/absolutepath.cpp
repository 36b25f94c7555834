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

std::string TidyPath(const std::string& path) {
    std::string tidy = path.starts_with('/') ? "/" : "";
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto slash = path.find('/', start);
        const std::size_t end = slash == std::string::npos ? path.size() : slash;
        const std::string part = path.substr(start, end - start);
        if (!part.empty() && part != ".") {
            if (!tidy.empty() && !tidy.ends_with('/')) {
                tidy += '/';
            }
            tidy += part;
        }
        start = end + 1;
    }
    return tidy.empty() && !path.empty() ? "." : tidy;
}

std::string FolderPartWithSlash(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ParentFolder(const std::string& path) {
    std::string folder = FolderPartWithSlash(path);
    if (folder.size() > 1) {
        folder.pop_back();  // the root keeps its '/'
    }
    return folder;
}

std::string FileNamePart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string EscapePath(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (const char ch : path) {
        switch (ch) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += ch;
        }
    }
    return out;
}

std::string UnescapePath(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        switch (field[++i]) {
            case 't':
                out += '\t';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                out += '\\';
                out += field[i];
        }
    }
    return out;
}
