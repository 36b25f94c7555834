#include "platform/userfolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string_view>
#include <vector>

namespace {

constexpr mode_t kFolderMode = 0700;

std::string PasswordFileHome() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr) {
        return {};
    }
    return found->pw_dir;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? home : PasswordFileHome();
}

std::string BaseFolder(const char* variable, const char* underHome) {
    const char* xdg = std::getenv(variable);
    if (xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    const std::string base = HomeFolder();
    return base.empty() ? std::string{} : base + underHome;
}

// The value of a user-dirs.dirs line, written as the shell reads it: "$HOME/path" or
// "/path" in double quotes, a backslash taking the next character literally. "" for a value
// of another form.
std::string UserDirValue(const std::string& quoted, const std::string& home) {
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') {
        return {};
    }
    std::string value;
    for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] == '\\' && i + 2 < quoted.size()) {
            ++i;
        }
        value += quoted[i];
    }
    if (value.starts_with("$HOME/") || value == "$HOME") {
        return home + value.substr(5);
    }
    return value.starts_with('/') ? value : std::string{};
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string XdgConfigHome() {
    return BaseFolder("XDG_CONFIG_HOME", "/.config");
}

std::string XdgStateHome() {
    return BaseFolder("XDG_STATE_HOME", "/.local/state");
}

std::string XdgDataHome() {
    return BaseFolder("XDG_DATA_HOME", "/.local/share");
}

std::string UserMusicFolder() {
    const std::string home = HomeFolder();
    std::ifstream dirs(XdgConfigHome() + "/user-dirs.dirs");
    constexpr std::string_view kKey = "XDG_MUSIC_DIR=";
    std::string music;
    for (std::string line; std::getline(dirs, line);) {
        if (line.starts_with(kKey)) {
            music = UserDirValue(line.substr(kKey.size()), home);  // the last one holds
        }
    }
    return !music.empty() && IsFolder(music) ? music : home;
}

int MakePrivateFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), kFolderMode) != 0 && errno != EEXIST) {
            return errno;
        }
        if (slash == std::string::npos) {
            break;
        }
    }
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return errno;
    }
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}
