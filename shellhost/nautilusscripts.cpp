#include "shellhost/menuformats.h"
#include "shellhost/menulabel.h"
#include "shellhost/quoting.h"

namespace {

// A label as a file name: no '/', no control characters, not hidden and not empty.
std::string FileName(const std::string& label) {
    std::string name;
    for (const char c : label) {
        if (c == '/') {
            name += "\xE2\x88\x95";  // DIVISION SLASH, which looks the same
        } else {
            name += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
        }
    }
    if (name.empty() || name.starts_with('.')) {
        name.insert(0, "_");
    }
    return name;
}

}  // namespace

std::vector<PublishedFile> NautilusScripts(const PublishedHandler& handler,
                                           const PublishTarget& target) {
    std::vector<PublishedFile> files;
    for (const PublishedGroup& group : handler.groups) {
        std::string folder = target.dataHome + "/nautilus/scripts/";
        if (!group.popupText.empty()) {
            folder += FileName(PlainLabel(group.popupText)) + "/";
        }
        for (const PublishedItem& item : group.items) {
            // Nautilus runs the script directly and passes the selected files' names, in the
            // folder shown; "$@" hands them on untouched.
            std::string script = "#!/bin/sh\nexec";
            for (const std::string& word : HostCommand(target, handler, item.offset)) {
                script += " " + ShellWord(word);
            }
            script += " \"$@\"\n";
            files.push_back({folder + FileName(PlainLabel(item.text)), script, true});
        }
    }
    return files;
}
