#include "platform/registry/mimeglobs.h"

#include <charconv>
#include <map>

#include "platform/filedescriptor.h"
#include "platform/registry/reghive.h"

namespace registry_detail {

namespace {

// The largest glob file read: the shared database's is some tens of KB.
constexpr std::size_t kGlobFileLimit = std::size_t{16} << 20;

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

bool IsPlainExtensionPattern(std::string_view pattern) {
    return pattern.size() > 2 && pattern.starts_with("*.") &&
           pattern.find_first_of("*?[", 1) == std::string_view::npos;
}

}  // namespace

MimeGlobs MimeGlobs::Load(const std::vector<std::string>& paths) {
    std::string text;
    for (const std::string& path : paths) {
        // Shared data that some systems install as links into a package store: a link is
        // followed, the reader still takes only a regular file of bounded size.
        ReadWholeFile(path, text, kGlobFileLimit, FinalLink::kFollow);
        text += '\n';
    }
    return Parse(text);
}

MimeGlobs MimeGlobs::Parse(std::string_view text) {
    MimeGlobs table;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.starts_with('#')) {
            continue;
        }
        const auto fields = SplitFields(line);
        int weight = -1;
        if (fields.size() < 3 ||
            std::from_chars(fields[0].data(), fields[0].data() + fields[0].size(), weight).ec !=
                std::errc{} ||
            fields[1].empty() || !IsPlainExtensionPattern(fields[2])) {
            continue;
        }
        const std::string_view flags = fields.size() > 3 ? fields[3] : std::string_view{};
        table.globs_.push_back(Glob{weight, std::string(fields[1]),
                                    std::string(fields[2].substr(1)), HasFlag(flags, "cs")});
    }
    table.Index();
    return table;
}

void MimeGlobs::Index() {
    for (std::size_t i = 0; i < globs_.size(); ++i) {
        byExtension_[FoldCase(globs_[i].extension)].push_back(i);
    }
    // The index is ordered by the folded names already: each one's first glob names it.
    extensions_.reserve(byExtension_.size());
    for (const auto& [folded, same] : byExtension_) {
        extensions_.push_back(globs_[same.front()].extension);
    }
}

std::string MimeGlobs::TypeForExtension(std::string_view extension) const {
    const auto same = byExtension_.find(FoldCase(extension));
    if (same == byExtension_.end()) {
        return {};
    }
    const Glob* best = nullptr;
    for (const std::size_t index : same->second) {
        const Glob& glob = globs_[index];
        const bool matches = !glob.caseSensitive || glob.extension == extension;
        if (matches && (best == nullptr || glob.weight > best->weight)) {
            best = &glob;
        }
    }
    return best == nullptr ? std::string{} : best->type;
}

std::vector<std::string> MimeGlobs::Extensions() const {
    return extensions_;
}

}  // namespace registry_detail
