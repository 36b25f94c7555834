#include "tests/support/contenthash.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

// FNV-1a: enough to tell test files apart, and no dependency.
std::uint64_t HashBytes(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char ch : bytes) {
        hash = (hash ^ static_cast<unsigned char>(ch)) * 1099511628211ULL;
    }
    return hash;
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

std::string FileContentHash(const std::string& file) {
    const std::string bytes = ReadAll(file);
    char text[48];
    std::snprintf(text, sizeof text, "%zu:%016llx", bytes.size(),
                  static_cast<unsigned long long>(HashBytes(bytes)));
    return text;
}

std::multiset<std::string> HashFileContents(const std::string& folder) {
    std::multiset<std::string> hashes;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_symlink() && entry.is_regular_file()) {
            hashes.insert(FileContentHash(entry.path()));
        }
    }
    return hashes;
}
