#include "shellhost/menuformats.h"

#include "platform/ascii.h"

std::string PublishedName(const PublishedHandler& handler) {
    std::string name = "sortune-shell-";
    for (const char c : handler.classId) {
        if (c != '{' && c != '}') {
            name += AsciiLower(c);
        }
    }
    return name;
}

std::vector<std::string> HostCommand(const PublishTarget& target, const PublishedHandler& handler,
                                     UINT offset) {
    return {target.hostPath, "invoke", handler.classId, std::to_string(offset)};
}
