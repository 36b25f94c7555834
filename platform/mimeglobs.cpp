#include "platform/mimeglobs.h"

#include <charconv>
#include <fstream>
#include <vector>

#include "platform/reghive.h"

namespace registry_detail {

namespace {

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const auto colon = line.find(':');
        fields.push_back(line.substr(0, colon));
        if (colon == std::string_view::npos) {
            return fields;
        }
        line.remove_prefix(colon + 1);
    }
}

bool HasFlag(std::string_view flags, std::string_view flag) {
    for (std::string_view rest = flags; !rest.empty();) {
        const auto comma = rest.find(',');
        if (rest.substr(0, comma) == flag) {
            return true;
        }
        rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 1);
    }
    return false;
}

bool MatchesExtension(std::string_view pattern, std::string_view flags,
                      std::string_view extension) {
    if (!pattern.starts_with("*.") || pattern.find_first_of("*?[", 1) != std::string_view::npos) {
        return false;
    }
    pattern.remove_prefix(1);
    return HasFlag(flags, "cs") ? pattern == extension : FoldCase(pattern) == FoldCase(extension);
}

}  // namespace

std::string MimeTypeForExtension(const std::string& globsPath, std::string_view extension) {
    std::ifstream globs(globsPath, std::ios::binary);
    std::string best;
    int bestWeight = -1;
    for (std::string line; std::getline(globs, line);) {
        if (line.starts_with('#')) {
            continue;
        }
        const auto fields = SplitFields(line);
        int weight = -1;
        if (fields.size() < 3 ||
            std::from_chars(fields[0].data(), fields[0].data() + fields[0].size(), weight).ec !=
                std::errc{} ||
            fields[1].empty()) {
            continue;
        }
        const std::string_view flags = fields.size() > 3 ? fields[3] : std::string_view{};
        if (weight > bestWeight && MatchesExtension(fields[2], flags, extension)) {
            best = fields[1];
            bestWeight = weight;
        }
    }
    return best;
}

}  // namespace registry_detail
