#include "shellhost/menuformats.h"
#include "shellhost/menulabel.h"

namespace {

// A Python string literal of UTF-8 text, or with `bytes` a bytes literal (a path may be any
// bytes): printable ASCII as it is but for the quote and the backslash, everything else
// escaped.
std::string PythonLiteral(const std::string& text, bool bytes) {
    std::string literal = bytes ? "b'" : "'";
    constexpr char kHex[] = "0123456789abcdef";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\'' || c == '\\') {
            literal += std::string("\\") + c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            literal += c;
        } else if (byte >= 0x80 && !bytes) {
            literal += c;  // part of a UTF-8 character
        } else {
            literal += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0xF];
        }
    }
    return literal + "'";
}

constexpr const char* kProvider = R"(

class Menu(GObject.GObject, Nautilus.MenuProvider):
    def get_file_items(self, *args):
        files = args[-1]
        if not files or any(f.is_directory() or f.get_mime_type() not in TYPES for f in files):
            return []
        items = []
        for group, entries in GROUPS:
            menu = None
            if group:
                top = Nautilus.MenuItem(name=NAME + '-' + str(len(items)), label=group)
                menu = Nautilus.Menu()
                top.set_submenu(menu)
                items.append(top)
            for label, tip, offset in entries:
                item = Nautilus.MenuItem(name=NAME + '-' + str(offset), label=label, tip=tip)
                item.connect('activate', self.run, offset, files)
                if menu is None:
                    items.append(item)
                else:
                    menu.append_item(item)
        return items

    def run(self, item, offset, files):
        paths = [f.get_location().get_path() for f in files]
        subprocess.Popen([HOST, b'invoke', CLASSID, str(offset).encode()] +
                         [os.fsencode(p) for p in paths if p])
)";

}  // namespace

std::vector<PublishedFile> NautilusExtension(const PublishedHandler& handler,
                                             const PublishTarget& target) {
    std::string types;
    for (const std::string& type : handler.mimeTypes) {
        types += PythonLiteral(type, false) + ", ";
    }
    std::string groups;
    for (const PublishedGroup& group : handler.groups) {
        groups += "    (" + PythonLiteral(PlainLabel(group.popupText), false) + ", [\n";
        for (const PublishedItem& item : group.items) {
            groups += "        (" + PythonLiteral(PlainLabel(item.text), false) + ", " +
                      PythonLiteral(item.helpText, false) + ", " + std::to_string(item.offset) +
                      "),\n";
        }
        groups += "    ]),\n";
    }
    const std::string name = PublishedName(handler);
    const std::string script =
        "# Made by sortune-shell publish: the menu of a context-menu handler for Nautilus.\n"
        "import os\nimport subprocess\n\nfrom gi.repository import GObject, Nautilus\n\n"
        "NAME = " +
        PythonLiteral(name, false) + "\nHOST = " + PythonLiteral(target.hostPath, true) +
        "\nCLASSID = " + PythonLiteral(handler.classId, true) + "\nTYPES = {" + types +
        "}\nGROUPS = [\n" + groups + "]" + kProvider;
    return {{target.dataHome + "/nautilus-python/extensions/" + name + ".py", script, false}};
}
