#pragma once

#include <string>
#include <vector>

#include "platform/wintypes.h"

// The files that make a handler's menu appear in the file managers, made from the menu the
// handler itself gives. Every item calls the host: `HOST invoke CLASSID OFFSET PATH...`.

struct PublishedItem {
    std::string text;      // UTF-8, as in the handler's menu ("整理当前文件夹\t(&S)")
    UINT offset = 0;       // the command offset
    std::string helpText;  // UTF-8
    std::string iconPath;  // a PNG file, "" when the item has no bitmap
    bool separatorBefore = false;
};

// The items of one popup of the handler's menu, or those it puts directly in the context menu
// (`popupText` "").
struct PublishedGroup {
    std::string popupText;
    std::vector<PublishedItem> items;
};

struct PublishedFile {
    std::string path;
    std::string content;
    bool executable = false;
};

struct PublishedHandler {
    std::string classId;                  // "{5E1A7C20-...}"
    std::vector<std::string> mimeTypes;   // its program ids: "audio/mpeg"
    std::vector<std::string> extensions;  // ".mp3"
    std::vector<PublishedGroup> groups;
    std::vector<PublishedFile> icons;  // the PNG files the items' icon paths name
};

// Where the files go and what they call.
struct PublishTarget {
    std::string dataHome;             // $XDG_DATA_HOME, default ~/.local/share
    std::string hostPath;             // the host program, absolute
    bool nautilusExtensions = false;  // Nautilus loads Python extensions (python3-nautilus)
};

// The name every file and action of a handler begins with: "sortune-shell-5e1a7c20-...".
std::string PublishedName(const PublishedHandler& handler);

// The host's arguments for an item: HOST invoke CLASSID OFFSET.
std::vector<std::string> HostCommand(const PublishTarget& target, const PublishedHandler& handler,
                                     UINT offset);

// Dolphin (KDE) service menus, one per group, executable, in kio/servicemenus/.
std::vector<PublishedFile> DolphinServiceMenus(const PublishedHandler& handler,
                                               const PublishTarget& target);

// Nautilus scripts, one executable per item; a group's scripts in a folder named after it.
std::vector<PublishedFile> NautilusScripts(const PublishedHandler& handler,
                                           const PublishTarget& target);

// A Nautilus Python extension: a menu provider that offers the handler's menu, in order and
// with its submenu, on files of its types only. Read where python3-nautilus is installed.
std::vector<PublishedFile> NautilusExtension(const PublishedHandler& handler,
                                             const PublishTarget& target);

// Nemo actions, one per item, named so that they sort in menu order.
std::vector<PublishedFile> NemoActions(const PublishedHandler& handler,
                                       const PublishTarget& target);

// FreeDesktop file-manager actions: a menu per group and an action per item.
std::vector<PublishedFile> FileManagerActions(const PublishedHandler& handler,
                                              const PublishTarget& target);

// The ids of those of them at the top of the context menu: the groups' menus, and the items
// of a group without one.
std::vector<std::string> FileManagerActionsTop(const PublishedHandler& handler);

// Thunar's custom actions for the handler: `<action>` elements for uca.xml, each with the
// unique id PublishedName-OFFSET.
std::string ThunarActions(const PublishedHandler& handler, const PublishTarget& target);
