#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

// Every entry below `root`, relative to it, sorted: "name" for a file, "name/" for a folder,
// "name -> target" for a symbolic link.
inline std::vector<std::string> Tree(const std::string& root) {
    namespace fs = std::filesystem;
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string name = entry.path().lexically_relative(root).string();
        if (entry.is_symlink()) {
            name += " -> " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_directory()) {
            name += "/";
        }
        entries.push_back(name);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}
