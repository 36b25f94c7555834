#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace registry_detail {

// The shared MIME database's glob file (`globs2`, lines "weight:type:*.ext[:flags]"), which
// tells the MIME type of a file extension; internal to the registry.
class MimeGlobs {
public:
    // Reads what parses of the files at `paths`, in order; a missing file gives no globs, and
    // so does one that is no regular file or is larger than 16 MiB.
    static MimeGlobs Load(const std::vector<std::string>& paths);
    static MimeGlobs Parse(std::string_view text);

    // The MIME type of files ending in `extension` (".mp3" gives "audio/mpeg"), "" when none.
    // Only plain "*.ext" patterns count; of several, the highest weight wins, then the first
    // listed. Patterns marked "cs" match in exactly their case, others regardless of the case
    // of A-Z.
    std::string TypeForExtension(std::string_view extension) const;

    // Every extension a plain pattern names (".mp3"), once for names that compare alike, as
    // first written.
    std::vector<std::string> Extensions() const;

private:
    void Index();

    struct Glob {
        int weight = 0;
        std::string type;
        std::string extension;  // with its dot
        bool caseSensitive = false;
    };
    std::vector<Glob> globs_;
    // Indexes made once at parsing, since a walk over the extension keys asks for each of
    // them: the globs of each extension as compared (FoldCase), in file order, and the list
    // Extensions gives.
    std::map<std::string, std::vector<std::size_t>> byExtension_;
    std::vector<std::string> extensions_;
};

}  // namespace registry_detail
