#include "shellhost/menuformats.h"
#include "shellhost/menulabel.h"
#include "shellhost/quoting.h"

namespace {

// Nemo expands '%' tokens in names too.
std::string NemoName(const std::string& text) {
    std::string name;
    for (const char c : GtkLabel(text)) {
        name += c == '%' ? std::string("%%") : std::string(1, c);
    }
    return name;
}

}  // namespace

std::vector<PublishedFile> NemoActions(const PublishedHandler& handler,
                                       const PublishTarget& target) {
    std::string types;
    for (const std::string& type : handler.mimeTypes) {
        types += KeyFileValue(type) + ";";
    }
    std::vector<PublishedFile> files;
    std::size_t number = 0;
    for (const PublishedGroup& group : handler.groups) {
        for (const PublishedItem& item : group.items) {
            // Nemo has neither submenus nor separators: a flat list in file-name order.
            std::string content = "[Nemo Action]\nName=" + KeyFileValue(NemoName(item.text)) +
                                  "\nComment=" + KeyFileValue(item.helpText) + "\n";
            if (!item.iconPath.empty()) {
                content += "Icon-Name=" + KeyFileValue(item.iconPath) + "\n";
            }
            // URIs: Nemo passes a path with a line break in it cut in two.
            content +=
                "Exec=" + KeyFileValue(ExecLine(HostCommand(target, handler, item.offset), "%U")) +
                "\nSelection=notnone\nMimetypes=" + types + "\n";
            const std::string index = (number < 10 ? "0" : "") + std::to_string(number);
            ++number;
            files.push_back({target.dataHome + "/nemo/actions/" + PublishedName(handler) + "-" +
                                 index + ".nemo_action",
                             content, false});
        }
    }
    return files;
}
