#include "shellhost/menuformats.h"

#include <algorithm>

#include "platform/ascii.h"
#include "shellhost/menulabel.h"
#include "shellhost/quoting.h"

namespace {

// Thunar's patterns match case-sensitively: each extension as registered, in lower and in
// upper case.
std::string Patterns(const PublishedHandler& handler) {
    std::vector<std::string> patterns;
    for (const std::string& extension : handler.extensions) {
        for (const std::string& pattern :
             {AsciiLower("*" + extension), AsciiUpper("*" + extension)}) {
            if (std::find(patterns.begin(), patterns.end(), pattern) == patterns.end()) {
                patterns.push_back(pattern);
            }
        }
    }
    std::string list;
    for (const std::string& pattern : patterns) {
        list += (list.empty() ? "" : ";") + pattern;
    }
    return list;
}

// The type flags Thunar needs beside the patterns, from the MIME types.
std::string TypeFlags(const PublishedHandler& handler) {
    constexpr std::pair<std::string_view, std::string_view> kFlags[] = {
        {"audio/", "<audio-files/>"},
        {"video/", "<video-files/>"},
        {"image/", "<image-files/>"},
        {"text/", "<text-files/>"}};
    std::string flags;
    bool other = false;
    for (const auto& [prefix, flag] : kFlags) {
        bool any = false;
        for (const std::string& type : handler.mimeTypes) {
            any = any || type.starts_with(prefix);
        }
        flags += any ? "\t" + std::string(flag) + "\n" : "";
    }
    for (const std::string& type : handler.mimeTypes) {
        bool known = false;
        for (const auto& [prefix, flag] : kFlags) {
            known = known || type.starts_with(prefix);
        }
        other = other || !known;
    }
    return flags + (other || flags.empty() ? "\t<other-files/>\n" : "");
}

// Thunar runs the command with /bin/sh after putting each selected path, quoted, for %F; '%'
// itself is written "%%".
std::string Command(const PublishTarget& target, const PublishedHandler& handler, UINT offset) {
    std::string command;
    for (const std::string& word : HostCommand(target, handler, offset)) {
        for (const char c : ShellWord(word)) {
            command += c == '%' ? std::string("%%") : std::string(1, c);
        }
        command += " ";
    }
    return command + "%F";
}

// '/' nests submenus in Thunar; DIVISION SLASH looks the same and does not.
std::string SubmenuName(const std::string& text) {
    std::string name;
    for (const char c : PlainLabel(text)) {
        name += c == '/' ? std::string("\xE2\x88\x95") : std::string(1, c);
    }
    return name;
}

}  // namespace

std::string ThunarActions(const PublishedHandler& handler, const PublishTarget& target) {
    const std::string patterns = XmlText(Patterns(handler));
    const std::string flags = TypeFlags(handler);
    std::string actions;
    for (const PublishedGroup& group : handler.groups) {
        for (const PublishedItem& item : group.items) {
            actions += "<action>\n";
            if (!item.iconPath.empty()) {
                actions += "\t<icon>" + XmlText(item.iconPath) + "</icon>\n";
            }
            actions += "\t<name>" + XmlText(PlainLabel(item.text)) + "</name>\n";
            if (!group.popupText.empty()) {
                actions += "\t<submenu>" + XmlText(SubmenuName(group.popupText)) + "</submenu>\n";
            }
            actions += "\t<unique-id>" + PublishedName(handler) + "-" +
                       std::to_string(item.offset) + "</unique-id>\n\t<command>" +
                       XmlText(Command(target, handler, item.offset)) + "</command>\n" +
                       "\t<description>" + XmlText(item.helpText) + "</description>\n" +
                       "\t<patterns>" + patterns + "</patterns>\n" + flags + "</action>\n";
        }
    }
    return actions;
}
