#include "tests/support/treesnapshot.h"

#include <algorithm>
#include <filesystem>

#include "tests/support/contenthash.h"

std::vector<std::string> TreeSnapshot(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::string name = entry.path().lexically_relative(folder).string();
        if (entry.is_symlink()) {
            name += " -> " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_directory()) {
            name += "/";
        } else {
            name += " #" + FileContentHash(entry.path());
        }
        entries.push_back(std::move(name));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}
