#include "platform/registry/hivefile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/filedescriptor.h"
#include "platform/filerename.h"
#include "platform/registry/regtext.h"

namespace registry_detail {

namespace {

constexpr mode_t kFolderMode = 0700;
constexpr mode_t kFileMode = 0600;
constexpr int kMaxDamagedCopies = 1000;

LONG ErrorFromErrno(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return ERROR_ACCESS_DENIED;
        case ENOENT:
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case ENOSPC:
        case EDQUOT:
            return ERROR_DISK_FULL;
        default:
            return ERROR_WRITE_FAULT;
    }
}

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

std::string ConfigHome() {
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base directory rules say.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    const std::string base = home != nullptr && home[0] == '/' ? home : PasswordFileHome();
    return base.empty() ? std::string{} : base + "/.config";
}

// Creates the missing folders of `path`, each readable by its owner only; returns an errno.
int MakeFolders(const std::string& path) {
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

// Reads the whole file into `text`; returns an errno.
int ReadWholeFile(const std::string& path, std::string& text) {
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        return errno;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return errno;
        }
        if (got == 0) {
            return 0;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// Makes a rename in `folder` durable. File systems that cannot sync a folder say so with an
// error that changes nothing for us, so the result is not checked.
void SyncFolder(const std::string& folder) {
    const FileDescriptor dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) {
        fsync(dir.get());
    }
}

// Writes `bytes` to a new file beside `path`, readable by its owner only, and syncs it. Returns
// 0 and sets `temporary` to its name, or an errno (and leaves no file).
int WriteTemporary(const std::string& path, std::string_view bytes, std::string& temporary) {
    temporary = path + ".XXXXXX";
    FileDescriptor file(mkostemp(temporary.data(), O_CLOEXEC));
    if (file.get() < 0) {
        return errno;
    }
    int error = WriteAll(file.get(), bytes);
    if (error == 0 && fchmod(file.get(), kFileMode) != 0) {
        error = errno;
    }
    if (error == 0 && fsync(file.get()) != 0) {
        error = errno;
    }
    const int closeError = file.Close();
    error = error != 0 ? error : closeError;
    if (error != 0) {
        unlink(temporary.c_str());
    }
    return error;
}

// Replaces `path` by a file holding `bytes`: written beside it, synced, then renamed over it.
int WriteAtomically(const std::string& folder, const std::string& path, std::string_view bytes) {
    std::string temporary;
    if (const int error = WriteTemporary(path, bytes, temporary)) {
        return error;
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        return error;
    }
    SyncFolder(folder);
    return 0;
}

// Keeps `bytes`, the damaged file at `path`, under the first free name of `<path>.bak`,
// `<path>.bak.1`, `<path>.bak.2`...: a copy kept before is never replaced, so the user's
// original survives every later damage. Returns 0 and sets `kept`, or an errno.
int KeepDamagedCopy(const std::string& folder, const std::string& path, std::string_view bytes,
                    std::string& kept) {
    std::string temporary;
    if (const int error = WriteTemporary(path, bytes, temporary)) {
        return error;
    }
    for (int number = 0; number < kMaxDamagedCopies; ++number) {
        kept = path + ".bak" + (number == 0 ? std::string() : "." + std::to_string(number));
        if (MoveFile(temporary, kept)) {
            SyncFolder(folder);
            return 0;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    const int error = errno;
    unlink(temporary.c_str());
    return error;
}

// Holds an exclusive lock on the lock file for as long as it lives.
class HiveLock {
public:
    explicit HiveLock(const std::string& path)
        : file_(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kFileMode)) {
        if (file_.get() < 0) {
            error_ = errno;
            return;
        }
        while (flock(file_.get(), LOCK_EX) != 0) {
            if (errno != EINTR) {
                error_ = errno;
                return;
            }
        }
    }
    int Error() const { return error_; }

private:
    FileDescriptor file_;
    int error_ = 0;
};

std::string HiveFile(const std::string& folder, HiveId hive) {
    return folder + "/" + std::string(HiveName(hive)) + ".reg";
}

}  // namespace

std::string_view HiveName(HiveId hive) {
    switch (hive) {
        case HiveId::kClassesRoot:
            return "HKEY_CLASSES_ROOT";
        case HiveId::kLocalMachine:
            return "HKEY_LOCAL_MACHINE";
        case HiveId::kCurrentUser:
            break;
    }
    return "HKEY_CURRENT_USER";
}

std::string RegistryFolder() {
    const std::string config = ConfigHome();
    return config.empty() ? std::string{} : config + "/sortune/registry";
}

Hive ReadHive(HiveId hive) {
    const std::string folder = RegistryFolder();
    std::string text;
    if (folder.empty() || ReadWholeFile(HiveFile(folder, hive), text) != 0) {
        return {};
    }
    return ParseRegText(text, HiveName(hive)).hive;
}

LONG ChangeHive(HiveId hive, const HiveChange& change) {
    const std::string folder = RegistryFolder();
    if (folder.empty()) {
        return ERROR_PATH_NOT_FOUND;
    }
    if (const int error = MakeFolders(folder)) {
        return ErrorFromErrno(error);
    }
    const std::string path = HiveFile(folder, hive);
    const HiveLock lock(path + ".lock");
    if (lock.Error() != 0) {
        return ErrorFromErrno(lock.Error());
    }
    std::string text;
    const int readError = ReadWholeFile(path, text);
    if (readError != 0 && readError != ENOENT) {
        return ErrorFromErrno(readError);
    }
    ParsedHive parsed = ParseRegText(text, HiveName(hive));
    bool changed = false;
    const LONG result = change(parsed.hive, changed);
    if (result != ERROR_SUCCESS || !changed) {
        return result;
    }
    if (!parsed.clean && readError == 0) {
        std::string kept;
        if (const int error = KeepDamagedCopy(folder, path, text, kept)) {
            return ErrorFromErrno(error);
        }
        // The user should know that a hand-edited file lost lines, and where they went.
        std::fprintf(stderr,
                     "sortune: the settings file '%s' was damaged: what could not be read is "
                     "left out, the file as it was is kept as '%s'\n",
                     path.c_str(), kept.c_str());
    }
    if (const int error =
            WriteAtomically(folder, path, FormatRegText(parsed.hive, HiveName(hive)))) {
        return ErrorFromErrno(error);
    }
    return ERROR_SUCCESS;
}

}  // namespace registry_detail
