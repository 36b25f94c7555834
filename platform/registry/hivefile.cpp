#include "platform/registry/hivefile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "platform/atomicfile.h"
#include "platform/filedescriptor.h"
#include "platform/filerename.h"
#include "platform/messagelanguage.h"
#include "platform/registry/regtext.h"
#include "platform/userfolders.h"

namespace registry_detail {

namespace {

constexpr mode_t kFileMode = 0600;
constexpr int kMaxDamagedCopies = 1000;
// The largest hive file read: the program keeps a few KB of settings and registrations in
// one, so anything near this is no hive of ours.
constexpr std::size_t kHiveLimit = std::size_t{1} << 20;

LONG ErrorFromErrno(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ELOOP:  // a file the reader refuses: a link, a pipe or device, or too large
        case EINVAL:
        case EFBIG:
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

// Keeps `bytes`, the damaged file at `path`, under the first free name of `<path>.bak`,
// `<path>.bak.1`, `<path>.bak.2`...: a copy kept before is never replaced, so the user's
// original survives every later damage. Returns 0 and sets `kept`, or an errno.
int KeepDamagedCopy(const std::string& folder, const std::string& path, std::string_view bytes,
                    std::string& kept) {
    std::string temporary;
    if (const int error = WriteTemporaryBeside(path, bytes, kFileMode, temporary)) {
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

// Holds an exclusive lock on the lock file for as long as it lives. The file is not created
// through a symbolic link, nor does opening wait on a named pipe in its place.
class HiveLock {
public:
    explicit HiveLock(const std::string& path)
        : file_(open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                     kFileMode)) {
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

// Why a hive file cannot be read, in words: the reader's own refusals would read as the
// general words of strerror.
std::string RefusalReason(int error) {
    switch (error) {
        case ELOOP:
            return ChineseOr("它是符号链接", "it is a symbolic link");
        case EINVAL:
            return ChineseOr("它不是普通文件", "it is not a regular file");
        case EFBIG:
            return ChineseOr("它大于 ", "it is larger than ") + std::to_string(kHiveLimit >> 20) +
                   " MiB";
        default:
            return std::strerror(error);
    }
}

// Tells the user, once per file in the life of the process, that the settings the file holds
// are not used: otherwise they would silently fall back to their defaults.
void ReportUnreadable(const std::string& path, int error) {
    static std::mutex mutex;
    static std::set<std::string> reported;
    const std::lock_guard lock(mutex);
    if (reported.insert(path).second) {
        std::fprintf(stderr,
                     ChineseOr("sortune: 无法读取设置文件“%s”（%s）：其中的设置未被使用，"
                               "文件保持原样\n",
                               "sortune: the settings file '%s' cannot be read (%s): the "
                               "settings in it are not used, and it is left as it is\n"),
                     path.c_str(), RefusalReason(error).c_str());
    }
}

// Reads the hive file at `path` into `text`. Returns 0 or the errno of ReadWholeFile; a file
// that is there but cannot be read is reported. A missing file, or a missing folder on the
// way to it, is no settings yet and goes unsaid.
int ReadHiveFile(const std::string& path, std::string& text) {
    const int error = ReadWholeFile(path, text, kHiveLimit);
    if (error != 0 && error != ENOENT && error != ENOTDIR) {
        ReportUnreadable(path, error);
    }
    return error;
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
    const std::string config = XdgConfigHome();
    return config.empty() ? std::string{} : config + "/sortune/registry";
}

std::shared_ptr<const Hive> ReadHive(HiveId hive) {
    const std::string folder = RegistryFolder();
    std::string text;
    const std::string path = HiveFile(folder, hive);
    if (folder.empty() || ReadHiveFile(path, text) != 0) {
        return std::make_shared<const Hive>();
    }
    // Every call of the registry reads its hive again; the text read last is parsed once.
    struct Parsed {
        std::string path;
        std::string text;
        std::shared_ptr<const Hive> hive;
    };
    static std::mutex mutex;
    static std::map<HiveId, Parsed> parsed;
    const std::lock_guard lock(mutex);
    Parsed& last = parsed[hive];
    if (!last.hive || last.path != path || last.text != text) {
        auto read = std::make_shared<const Hive>(ParseRegText(text, HiveName(hive)).hive);
        last = {path, std::move(text), std::move(read)};
    }
    return last.hive;
}

LONG ChangeHive(HiveId hive, const HiveChange& change) {
    const std::string folder = RegistryFolder();
    if (folder.empty()) {
        return ERROR_PATH_NOT_FOUND;
    }
    if (const int error = MakePrivateFolders(folder)) {
        return ErrorFromErrno(error);
    }
    const std::string path = HiveFile(folder, hive);
    const HiveLock lock(path + ".lock");
    if (lock.Error() != 0) {
        return ErrorFromErrno(lock.Error());
    }
    std::string text;
    const int readError = ReadHiveFile(path, text);
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
                     ChineseOr("sortune: 设置文件“%s”已损坏：无法读取的内容已略去，原来的文件"
                               "保存为“%s”\n",
                               "sortune: the settings file '%s' was damaged: what could not be "
                               "read is left out, the file as it was is kept as '%s'\n"),
                     path.c_str(), kept.c_str());
    }
    if (const int error =
            WriteFileAtomically(path, FormatRegText(parsed.hive, HiveName(hive)), kFileMode)) {
        return ErrorFromErrno(error);
    }
    return ERROR_SUCCESS;
}

}  // namespace registry_detail
