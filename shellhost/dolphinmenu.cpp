#include "shellhost/menuformats.h"
#include "shellhost/menulabel.h"
#include "shellhost/quoting.h"

namespace {

// Dolphin shows an action's '&' as it is, but takes one in the submenu's name as a mnemonic.
//
// Dolphin orders the actions of a service menu by their identifiers and places the one
// separator it keeps by its identifier "_SEPARATOR_": items before it start with a capital,
// items after it with a small letter ('A' < '_' < 'a').
std::string ActionId(std::size_t position, bool afterSeparator) {
    const std::string number = (position < 10 ? "0" : "") + std::to_string(position);
    return (afterSeparator ? "a" : "A") + number;
}

std::string MimeTypeList(const PublishedHandler& handler) {
    std::string list;
    for (const std::string& type : handler.mimeTypes) {
        list += KeyFileValue(type) + ";";
    }
    return list;
}

}  // namespace

std::vector<PublishedFile> DolphinServiceMenus(const PublishedHandler& handler,
                                               const PublishTarget& target) {
    std::vector<PublishedFile> files;
    for (std::size_t g = 0; g < handler.groups.size(); ++g) {
        const PublishedGroup& group = handler.groups[g];
        std::string actionList;
        std::string actions;
        bool afterSeparator = false;
        for (std::size_t i = 0; i < group.items.size(); ++i) {
            const PublishedItem& item = group.items[i];
            if (item.separatorBefore && !afterSeparator && i > 0) {
                actionList += "_SEPARATOR_;";
                afterSeparator = true;
            }
            const std::string id = ActionId(i, afterSeparator);
            actionList += id + ";";
            actions +=
                "\n[Desktop Action " + id + "]\nName=" + KeyFileValue(PlainLabel(item.text)) + "\n";
            if (!item.iconPath.empty()) {
                actions += "Icon=" + KeyFileValue(item.iconPath) + "\n";
            }
            actions +=
                "Exec=" + KeyFileValue(ExecLine(HostCommand(target, handler, item.offset), "%F")) +
                "\n";
        }
        std::string content =
            "[Desktop Entry]\nType=Service\nName=" + KeyFileValue(PlainLabel(group.popupText)) +
            "\nMimeType=" + MimeTypeList(handler) + "\nActions=" + actionList + "\n";
        if (!group.popupText.empty()) {
            content += "X-KDE-Submenu=" + KeyFileValue(QtLabel(group.popupText)) + "\n";
        }
        content += "X-KDE-Priority=TopLevel\nX-KDE-Protocols=file\n" + actions;
        files.push_back({target.dataHome + "/kio/servicemenus/" + PublishedName(handler) + "-" +
                             std::to_string(g) + ".desktop",
                         content, true});
    }
    return files;
}
