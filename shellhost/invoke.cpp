#include "shellhost/invoke.h"

#include <algorithm>

#include "platform/absolutepath.h"
#include "platform/ascii.h"

namespace {

// ".mp3" of "/music/a.MP3": what follows the last dot of the last part, "" when none.
std::string Extension(const std::string& path) {
    const std::string name = FileNamePart(path);
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

}  // namespace

std::vector<std::string> SelectionFor(const HandlerRegistration& handler,
                                      const std::vector<std::string>& paths) {
    std::vector<std::string> selection;
    for (const std::string& path : paths) {
        const std::string extension = AsciiLower(Extension(path));
        const bool registered =
            !extension.empty() &&
            std::any_of(handler.extensions.begin(), handler.extensions.end(),
                        [&](const std::string& known) { return AsciiLower(known) == extension; });
        const std::string absolute = AbsolutePath(path);
        if (registered && !absolute.empty()) {
            selection.push_back(absolute);
        }
    }
    return selection;
}
