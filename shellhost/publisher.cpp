#include "shellhost/publisher.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <system_error>

#include "platform/atomicfile.h"
#include "platform/filedescriptor.h"
#include "platform/messagelanguage.h"
#include "platform/systeminfo.h"
#include "platform/userfolders.h"
#include "shellhost/cajaactionssettings.h"
#include "shellhost/pngimage.h"
#include "shellhost/shellextension.h"
#include "shellhost/ucafile.h"

namespace fs = std::filesystem;

namespace {

// Where python3-nautilus puts the module that makes Nautilus load Python extensions.
bool NautilusLoadsPython() {
    std::error_code error;
    for (const char* folder :
         {"/usr/lib/x86_64-linux-gnu", "/usr/lib/aarch64-linux-gnu", "/usr/lib64", "/usr/lib"}) {
        if (fs::exists(std::string(folder) + "/nautilus/extensions-4/libnautilus-python.so",
                       error)) {
            return true;
        }
    }
    return false;
}

constexpr int kIconSize = 16;
constexpr std::uint32_t kWhite = 0xFFFFFF;

std::string OwnFolder(const PublishPlaces& places) {
    return places.dataHome + "/sortune/shell";
}

std::string ManifestPath(const PublishPlaces& places) {
    return OwnFolder(places) + "/published";
}

std::string UcaPath(const PublishPlaces& places) {
    return places.configHome + "/Thunar/uca.xml";
}

std::string CajaActionsPath(const PublishPlaces& places) {
    return places.configHome + "/caja-actions/caja-actions.conf";
}

// A file of the user's (uca.xml may be a link a dotfile manager keeps) or of ours, read
// without ever blocking on a FIFO or reading without end.
constexpr std::size_t kTextLimit = std::size_t{16} << 20;

std::optional<std::string> ReadText(const std::string& path) {
    std::string text;
    if (ReadWholeFile(path, text, kTextLimit, FinalLink::kFollow) != 0) {
        return std::nullopt;
    }
    return text;
}

// Creates the folder and its missing parents, adding each one it made to `created`.
bool MakeFolders(const fs::path& folder, std::set<std::string>& created) {
    std::error_code error;
    if (fs::is_directory(folder, error)) {
        return true;
    }
    if (!MakeFolders(folder.parent_path(), created) || !fs::create_directory(folder, error)) {
        return false;
    }
    created.insert(folder.string());
    return true;
}

bool IsExecutable(const std::string& path) {
    std::error_code error;
    return (fs::status(path, error).permissions() & fs::perms::owner_exec) != fs::perms::none;
}

// What the host wrote before: files, folders it made, and whether it made uca.xml and
// caja-actions' settings.
struct Manifest {
    std::set<std::string> files;
    std::set<std::string> folders;
    bool madeUca = false;
    bool madeCaja = false;

    static Manifest Read(const std::string& path) {
        Manifest manifest;
        std::string text;
        if (ReadWholeFile(path, text, kTextLimit) != 0) {
            return manifest;
        }
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            const auto tab = line.find('\t');
            const std::string kind = line.substr(0, tab);
            const std::string value = tab == std::string::npos ? "" : line.substr(tab + 1);
            if (kind == "file") {
                manifest.files.insert(value);
            } else if (kind == "folder") {
                manifest.folders.insert(value);
            } else if (kind == "uca") {
                manifest.madeUca = true;
            } else if (kind == "caja") {
                manifest.madeCaja = true;
            }
        }
        return manifest;
    }

    std::string Text() const {
        std::string text;
        for (const std::string& file : files) {
            text += "file\t" + file + "\n";
        }
        for (const std::string& folder : folders) {
            text += "folder\t" + folder + "\n";
        }
        return text + (madeUca ? "uca\tmade\n" : "") + (madeCaja ? "caja\tmade\n" : "");
    }
};

// The icon of a menu bitmap: drawn at its own size, as a menu draws it, in the middle of a
// transparent square of menu-icon size, so that no file manager scales it; white, the
// bitmaps' background, is transparent.
std::string IconOf(const BitmapPixels& bitmap) {
    const int size = std::max({kIconSize, bitmap.width, bitmap.height});
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size * size), 0);
    const int left = (size - bitmap.width) / 2;
    const int top = (size - bitmap.height) / 2;
    for (int y = 0; y < bitmap.height; ++y) {
        for (int x = 0; x < bitmap.width; ++x) {
            const std::uint32_t pixel =
                bitmap.pixels[static_cast<std::size_t>(y * bitmap.width + x)] & 0xFFFFFF;
            pixels[static_cast<std::size_t>((top + y) * size + left + x)] =
                pixel == kWhite ? 0 : 0xFF000000 | pixel;
        }
    }
    return EncodePng(size, size, pixels);
}

// Items of a popup, nested popups flattened into it; separators mark the next item.
void CollectItems(const std::vector<MenuEntry>& entries, PublishedGroup& group,
                  const PublishedHandler& handler, const PublishPlaces& places,
                  std::vector<PublishedFile>& icons, bool& separator) {
    for (const MenuEntry& entry : entries) {
        if (entry.kind == MenuEntry::Kind::kSeparator) {
            separator = true;
        } else if (entry.kind == MenuEntry::Kind::kPopup) {
            CollectItems(entry.children, group, handler, places, icons, separator);
        } else {
            PublishedItem item{entry.text, entry.offset, entry.helpText, {}, separator};
            separator = false;
            if (entry.bitmap.width > 0) {
                item.iconPath = OwnFolder(places) + "/icons/" + PublishedName(handler) + "-" +
                                std::to_string(entry.offset) + ".png";
                icons.push_back({item.iconPath, IconOf(entry.bitmap), false});
            }
            group.items.push_back(std::move(item));
        }
    }
}

}  // namespace

PublishPlaces PublishPlaces::OfThisUser() {
    return {XdgDataHome(), XdgConfigHome(), sysinfo::ExecutablePath(), NautilusLoadsPython()};
}

PublishedHandler ReadPublishedHandler(const HandlerRegistration& handler,
                                      const PublishPlaces& places, std::string& problem) {
    PublishedHandler published{handler.classId, handler.programIds, handler.extensions, {}, {}};
    // The menu does not depend on the files: the handler reads them when a command runs.
    const auto extension = ShellExtension::Open(handler, {}, problem);
    if (!extension) {
        return published;
    }
    PublishedGroup top;
    bool separator = false;
    std::vector<PublishedFile>& icons = published.icons;
    for (const MenuEntry& entry : extension->QueryMenu()) {
        if (entry.kind == MenuEntry::Kind::kPopup) {
            PublishedGroup group{entry.text, {}};
            bool popupSeparator = false;
            CollectItems(entry.children, group, published, places, icons, popupSeparator);
            published.groups.push_back(std::move(group));
        } else if (entry.kind == MenuEntry::Kind::kCommand) {
            CollectItems({entry}, top, published, places, icons, separator);
        }
    }
    if (!top.items.empty()) {
        published.groups.insert(published.groups.begin(), std::move(top));
    }
    return published;
}

PublishReport PublishHandlers(const std::vector<HandlerRegistration>& handlers,
                              const PublishPlaces& places) {
    std::vector<PublishedHandler> published;
    std::vector<std::string> problems;
    for (const HandlerRegistration& handler : handlers) {
        std::string problem;
        published.push_back(ReadPublishedHandler(handler, places, problem));
        if (!problem.empty()) {
            problems.push_back(problem);
        }
    }
    PublishReport report = PublishMenus(published, places);
    report.problems.insert(report.problems.begin(), problems.begin(), problems.end());
    return report;
}

namespace {

// What every id of the host's actions begins with, in files that hold the user's too.
constexpr const char* kIdPrefix = "sortune-shell-";

const char* CannotBeWritten() {
    return ChineseOr("：无法写入", ": cannot be written");
}

// Every file of the handlers' menus, icons included, in the order they are written.
std::vector<PublishedFile> WantedFiles(const std::vector<PublishedHandler>& handlers,
                                       const PublishTarget& target) {
    std::vector<PublishedFile> files;
    for (const PublishedHandler& handler : handlers) {
        if (handler.groups.empty()) {
            continue;
        }
        // The scripts are Nautilus's fall-back: a fixed submenu, on every file.
        for (auto&& part : {handler.icons, DolphinServiceMenus(handler, target),
                            target.nautilusExtensions ? NautilusExtension(handler, target)
                                                      : NautilusScripts(handler, target),
                            NemoActions(handler, target), FileManagerActions(handler, target)}) {
            files.insert(files.end(), part.begin(), part.end());
        }
    }
    return files;
}

void WriteWanted(const std::vector<PublishedFile>& wanted, const Manifest& old, Manifest& now,
                 PublishReport& report) {
    // A menu is a dozen files in a few folders: each folder is synced once for all its files,
    // before the list of what was written.
    std::set<std::string> replacedIn;
    for (const PublishedFile& file : wanted) {
        const auto current = ReadText(file.path);
        if (current && old.files.count(file.path) == 0) {
            report.problems.push_back(file.path + ChineseOr("：已有同名文件，保持原样",
                                                            ": a file of that name is there "
                                                            "already; left alone"));
            continue;
        }
        if (current == file.content && IsExecutable(file.path) == file.executable) {
            now.files.insert(file.path);
            continue;
        }
        const fs::path folder = fs::path(file.path).parent_path();
        if (!MakeFolders(folder, now.folders) ||
            ReplaceFile(file.path, file.content, file.executable ? 0755 : 0644) != 0) {
            report.problems.push_back(file.path + CannotBeWritten());
            if (current) {
                now.files.insert(file.path);
            }
            continue;
        }
        replacedIn.insert(folder.string());
        now.files.insert(file.path);
        report.written.push_back(file.path);
    }
    for (const std::string& folder : replacedIn) {
        SyncFolder(folder);
    }
}

void RemoveUnwanted(const Manifest& old, Manifest& now, PublishReport& report) {
    for (const std::string& path : old.files) {
        std::error_code error;
        if (now.files.count(path) == 0 && fs::remove(path, error)) {
            report.removed.push_back(path);
        }
    }
}

// The user's file keeps the mode it has: it is theirs, and their other tools may read it. A
// new one is private, as Thunar makes it.
mode_t UserFileMode(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::is_regular_file(status)) {
        return 0600;
    }
    return static_cast<mode_t>(status.permissions() & fs::perms::mask);
}

// Puts the handlers' actions into uca.xml, beside the user's own, which stay byte for byte.
void PublishThunar(const std::string& actions, const PublishPlaces& places, const Manifest& old,
                   Manifest& now, PublishReport& report) {
    const std::string path = UcaPath(places);
    const auto current = ReadText(path);
    now.madeUca = old.madeUca && current.has_value();
    std::string next;
    if (!current) {
        if (actions.empty()) {
            return;
        }
        next = NewUcaFile(actions);
        now.madeUca = true;
    } else {
        const auto merged = MergeUcaActions(*current, kIdPrefix, actions);
        if (!merged) {
            report.problems.push_back(path +
                                      ChineseOr("：无法读取其中的 Thunar 自定义动作，保持原样",
                                                ": Thunar's custom actions cannot be "
                                                "read there; left alone"));
            return;
        }
        next = *merged;
        if (next == *current) {
            return;
        }
        std::error_code error;
        if (actions.empty() && now.madeUca && !HasUcaActions(next) && fs::remove(path, error)) {
            now.madeUca = false;
            report.removed.push_back(path);
            report.thunarChanged = true;
            return;
        }
    }
    if (!MakeFolders(fs::path(path).parent_path(), now.folders) ||
        WriteFileAtomically(path, next, UserFileMode(path)) != 0) {
        report.problems.push_back(path + CannotBeWritten());
        return;
    }
    report.written.push_back(path);
    report.thunarChanged = true;
}

// Puts the handlers' menus, and no item of theirs, at the top of caja-actions' menu, so that
// it fills the menus with their items, in their order.
void PublishCajaActions(const std::vector<std::string>& top, const PublishPlaces& places,
                        const Manifest& old, Manifest& now, PublishReport& report) {
    const std::string path = CajaActionsPath(places);
    const auto current = ReadText(path);
    now.madeCaja = old.madeCaja && current.has_value();
    if (!current && top.empty()) {
        return;
    }
    const std::string next = WithCajaActionsTop(current.value_or(""), kIdPrefix, top);
    if (current == next) {
        return;
    }
    std::error_code error;
    if (top.empty() && now.madeCaja && !HasCajaActionsTop(next) && fs::remove(path, error)) {
        now.madeCaja = false;
        report.removed.push_back(path);
        return;
    }
    if (!MakeFolders(fs::path(path).parent_path(), now.folders) ||
        WriteFileAtomically(path, next, UserFileMode(path)) != 0) {
        report.problems.push_back(path + CannotBeWritten());
        return;
    }
    now.madeCaja = now.madeCaja || !current;
    report.written.push_back(path);
}

// Removes the folders the host made that nothing is in any more, the deepest first.
void RemoveEmptyFolders(Manifest& now) {
    for (auto it = now.folders.rbegin(); it != now.folders.rend();) {
        std::error_code error;
        if (!fs::exists(*it, error) || (fs::is_empty(*it, error) && fs::remove(*it, error))) {
            it = std::make_reverse_iterator(now.folders.erase(std::next(it).base()));
        } else {
            ++it;
        }
    }
}

}  // namespace

PublishReport PublishMenus(const std::vector<PublishedHandler>& handlers,
                           const PublishPlaces& places) {
    PublishReport report;
    if (places.dataHome.empty() || places.configHome.empty()) {
        report.problems.push_back(
            ChineseOr("没有可写入菜单文件的主文件夹", "no home folder to publish in"));
        return report;
    }
    const PublishTarget target{places.dataHome, places.hostPath, places.nautilusExtensions};
    const Manifest old = Manifest::Read(ManifestPath(places));
    Manifest now;
    now.folders = old.folders;
    WriteWanted(WantedFiles(handlers, target), old, now, report);
    RemoveUnwanted(old, now, report);
    std::string actions;
    for (const PublishedHandler& handler : handlers) {
        actions += ThunarActions(handler, target);
    }
    PublishThunar(actions, places, old, now, report);
    std::vector<std::string> top;
    for (const PublishedHandler& handler : handlers) {
        const std::vector<std::string> ids = FileManagerActionsTop(handler);
        top.insert(top.end(), ids.begin(), ids.end());
    }
    PublishCajaActions(top, places, old, now, report);

    std::error_code error;
    if (now.files.empty() && !now.madeUca && !now.madeCaja) {
        fs::remove(ManifestPath(places), error);
        RemoveEmptyFolders(now);
    } else {
        RemoveEmptyFolders(now);
        const std::string list = now.Text();
        if (!MakeFolders(OwnFolder(places), now.folders) ||
            (ReadText(ManifestPath(places)) != list &&
             WriteFileAtomically(ManifestPath(places), list, 0600) != 0)) {
            report.problems.push_back(ManifestPath(places) + CannotBeWritten());
        }
    }
    return report;
}
