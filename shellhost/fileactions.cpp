#include "shellhost/menuformats.h"
#include "shellhost/menulabel.h"
#include "shellhost/quoting.h"

namespace {

std::string GroupId(const PublishedHandler& handler, std::size_t group) {
    return PublishedName(handler) + "-" + std::to_string(group);
}

std::string ItemId(const std::string& groupId, std::size_t item) {
    return groupId + "-" + std::to_string(item);
}

}  // namespace

std::vector<PublishedFile> FileManagerActions(const PublishedHandler& handler,
                                              const PublishTarget& target) {
    const std::string folder = target.dataHome + "/file-manager/actions/";
    std::string types;
    for (const std::string& type : handler.mimeTypes) {
        types += KeyFileValue(type) + ";";
    }
    std::vector<PublishedFile> files;
    for (std::size_t g = 0; g < handler.groups.size(); ++g) {
        const PublishedGroup& group = handler.groups[g];
        const std::string groupId = GroupId(handler, g);
        std::string itemsList;
        for (std::size_t i = 0; i < group.items.size(); ++i) {
            const PublishedItem& item = group.items[i];
            const std::string id = ItemId(groupId, i);
            itemsList += (item.separatorBefore && i > 0 ? "SEPARATOR;" : "") + id + ";";
            std::string content =
                "[Desktop Entry]\nType=Action\nName=" + KeyFileValue(PlainLabel(item.text)) +
                "\nTooltip=" + KeyFileValue(item.helpText) + "\n";
            if (!item.iconPath.empty()) {
                content += "Icon=" + KeyFileValue(item.iconPath) + "\n";
            }
            content += "Profiles=files;\n\n[X-Action-Profile files]\nMimeTypes=" + types +
                       "\nSelectionCount=>0\nExec=" +
                       KeyFileValue(ExecLine(HostCommand(target, handler, item.offset), "%F")) +
                       "\n";
            files.push_back({folder + id + ".desktop", content, false});
        }
        if (!group.popupText.empty()) {
            files.push_back(
                {folder + groupId + ".desktop",
                 "[Desktop Entry]\nType=Menu\nName=" + KeyFileValue(PlainLabel(group.popupText)) +
                     "\nItemsList=" + itemsList + "\n",
                 false});
        }
    }
    return files;
}

std::vector<std::string> FileManagerActionsTop(const PublishedHandler& handler) {
    std::vector<std::string> top;
    for (std::size_t g = 0; g < handler.groups.size(); ++g) {
        const PublishedGroup& group = handler.groups[g];
        if (!group.popupText.empty()) {
            top.push_back(GroupId(handler, g));
            continue;
        }
        for (std::size_t i = 0; i < group.items.size(); ++i) {
            top.push_back(ItemId(GroupId(handler, g), i));
        }
    }
    return top;
}
