#include "platform/registry.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/ascii.h"
#include "platform/registry/hivefile.h"
#include "platform/registry/mimeglobs.h"
#include "platform/registry/regtext.h"
#include "platform/userfolders.h"

using namespace registry_detail;

// What a snapshot read, kept while it lives.
struct registry_detail::SnapshotFiles {
    std::map<HiveId, std::shared_ptr<const Hive>> hives;
    std::shared_ptr<const MimeGlobs> globs;
};

namespace {

// The shared MIME database lives in the XDG data folders: the user's first, then the system's.
std::vector<std::string> DefaultMimeGlobFiles() {
    std::vector<std::string> folders;
    if (std::string dataHome = XdgDataHome(); !dataHome.empty()) {
        folders.push_back(std::move(dataHome));
    }
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    std::string_view dirs =
        dataDirs != nullptr && dataDirs[0] != '\0' ? dataDirs : "/usr/local/share:/usr/share";
    for (;;) {
        const auto colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        if (dir.starts_with('/')) {
            folders.emplace_back(dir);
        }
        if (colon == std::string_view::npos) {
            break;
        }
        dirs.remove_prefix(colon + 1);
    }
    for (std::string& folder : folders) {
        folder += "/mime/globs2";
    }
    return folders;
}

struct OpenKey {
    HiveId hive = HiveId::kCurrentUser;
    std::string path;
    REGSAM access = 0;
};

// Orders names as Windows lists sub-keys: by their upper-case form, so that "A" comes before
// "_x" (lower-casing would put '_' first).
bool UpperCaseLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(AsciiUpper(x)) <
               static_cast<unsigned char>(AsciiUpper(y));
    });
}

// The stored top-level keys of HKEY_CLASSES_ROOT and the extensions of the MIME database, a
// name stored taking the place of the extension that compares alike, in listing order.
std::vector<std::string> MergedRootNames(std::vector<std::string> stored, const MimeGlobs& globs) {
    std::map<std::string, std::string> byName;
    for (std::string& name : stored) {
        byName.emplace(FoldCase(name), std::move(name));
    }
    for (std::string& extension : globs.Extensions()) {
        byName.try_emplace(FoldCase(extension), std::move(extension));
    }
    std::vector<std::string> names;
    names.reserve(byName.size());
    for (auto& [folded, name] : byName) {
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), UpperCaseLess);
    return names;
}

// The open key handles of the process, and the MIME glob file.
class RegistryState {
public:
    std::optional<OpenKey> Find(HKEY key) {
        if (key == HKEY_CLASSES_ROOT) {
            return OpenKey{HiveId::kClassesRoot, {}, KEY_ALL_ACCESS};
        }
        if (key == HKEY_CURRENT_USER) {
            return OpenKey{HiveId::kCurrentUser, {}, KEY_ALL_ACCESS};
        }
        if (key == HKEY_LOCAL_MACHINE) {
            return OpenKey{HiveId::kLocalMachine, {}, KEY_ALL_ACCESS};
        }
        const std::lock_guard lock(mutex_);
        const auto found = keys_.find(reinterpret_cast<std::uintptr_t>(key));
        return found == keys_.end() ? std::nullopt : std::optional(found->second);
    }

    HKEY Add(OpenKey key) {
        const std::lock_guard lock(mutex_);
        next_ += 4;
        keys_.emplace(next_, std::move(key));
        return reinterpret_cast<HKEY>(next_);
    }

    bool Remove(HKEY key) {
        const std::lock_guard lock(mutex_);
        return keys_.erase(reinterpret_cast<std::uintptr_t>(key)) == 1;
    }

    void SetMimeGlobsPath(const std::string& path) {
        const std::lock_guard lock(mutex_);
        mimeGlobs_ = path;
        globs_.reset();
    }

    // The glob files as they are now, read again only when one changed: a walk over the
    // extension keys asks them once for each.
    std::shared_ptr<const MimeGlobs> Globs() {
        const std::lock_guard lock(mutex_);
        const std::vector<std::string> files =
            mimeGlobs_.empty() ? DefaultMimeGlobFiles() : std::vector<std::string>{mimeGlobs_};
        std::vector<FileStamp> stamps;
        for (const std::string& file : files) {
            struct stat info {};
            const bool found = stat(file.c_str(), &info) == 0;
            stamps.push_back(FileStamp{file, found ? info.st_dev : 0, found ? info.st_ino : 0,
                                       found ? info.st_size : -1, found ? info.st_mtim.tv_sec : 0,
                                       found ? info.st_mtim.tv_nsec : 0});
        }
        if (!globs_ || stamps != globsStamps_) {
            globs_ = std::make_shared<const MimeGlobs>(MimeGlobs::Load(files));
            globsStamps_ = std::move(stamps);
        }
        return globs_;
    }

    // The root of HKEY_CLASSES_ROOT as listed, made again only when its stored keys or the
    // globs changed: an enumeration asks for the whole list at every index.
    std::shared_ptr<const std::vector<std::string>> ClassesRootNames(
        std::vector<std::string> stored, std::shared_ptr<const MimeGlobs> globs) {
        const std::lock_guard lock(mutex_);
        if (globs != rootGlobs_ || stored != rootStored_ || !rootNames_) {
            rootNames_ =
                std::make_shared<const std::vector<std::string>>(MergedRootNames(stored, *globs));
            rootStored_ = std::move(stored);
            rootGlobs_ = std::move(globs);
        }
        return rootNames_;
    }

private:
    struct FileStamp {
        std::string path;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        time_t seconds = 0;
        long nanoseconds = 0;
        bool operator==(const FileStamp&) const = default;
    };

    std::mutex mutex_;
    std::map<std::uintptr_t, OpenKey> keys_;
    // Handles are never reused, so that a closed handle stays invalid.
    std::uintptr_t next_ = 0;
    std::string mimeGlobs_;  // "" for the XDG data folders
    std::shared_ptr<const MimeGlobs> globs_;
    std::vector<FileStamp> globsStamps_;
    std::vector<std::string> rootStored_;
    std::shared_ptr<const MimeGlobs> rootGlobs_;
    std::shared_ptr<const std::vector<std::string>> rootNames_;
};

RegistryState& State() {
    static RegistryState state;
    return state;
}

// The outermost snapshot of this thread. A plain pointer: a thread-local object with a
// destructor would keep the shell extension's module from being unloaded.
thread_local SnapshotFiles* activeSnapshot = nullptr;

// The hive a read answers from: the snapshot's, else the file as it is now.
std::shared_ptr<const Hive> CurrentHive(HiveId id) {
    if (activeSnapshot == nullptr) {
        return ReadHive(id);
    }
    std::shared_ptr<const Hive>& held = activeSnapshot->hives[id];
    if (!held) {
        held = ReadHive(id);
    }
    return held;
}

std::shared_ptr<const MimeGlobs> CurrentGlobs() {
    if (activeSnapshot == nullptr) {
        return State().Globs();
    }
    if (!activeSnapshot->globs) {
        activeSnapshot->globs = State().Globs();
    }
    return activeSnapshot->globs;
}

// Changes the hive file; a snapshot of this thread reads it again, so that it sees the change.
LONG Change(HiveId id, const HiveChange& change) {
    const LONG result = ChangeHive(id, change);
    if (activeSnapshot != nullptr) {
        activeSnapshot->hives.erase(id);
    }
    return result;
}

bool HasControlCharacter(std::string_view name) {
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20) {
            return true;
        }
    }
    return false;
}

// The full path of `subKey` below `base`, or the Windows error for a malformed one.
LONG JoinPath(const std::string& base, const char* subKey, std::string& path) {
    std::string_view sub = subKey == nullptr ? std::string_view{} : subKey;
    if (sub.ends_with('\\')) {
        sub.remove_suffix(1);
    }
    if (!sub.empty() && (sub.starts_with('\\') || sub.ends_with('\\') ||
                         sub.find("\\\\") != std::string_view::npos || HasControlCharacter(sub))) {
        return ERROR_BAD_PATHNAME;
    }
    path = base.empty() || sub.empty() ? base + std::string(sub) : base + "\\" + std::string(sub);
    return ERROR_SUCCESS;
}

// The program id the MIME database gives a top-level extension key of HKEY_CLASSES_ROOT
// (".mp3"), "" for any other key.
std::string MimeProgramId(HiveId hive, std::string_view path) {
    if (hive != HiveId::kClassesRoot || path.size() < 2 || !path.starts_with('.') ||
        path.find('\\') != std::string_view::npos) {
        return {};
    }
    return CurrentGlobs()->TypeForExtension(path);
}

// The key as callers see it: stored, the hive's root, or an extension key the MIME database
// answers for.
std::optional<RegKeyNode> LookupKey(HiveId id, const Hive& hive, std::string_view path) {
    if (const RegKeyNode* key = hive.FindKey(path)) {
        return *key;
    }
    if (path.empty()) {
        return RegKeyNode{};
    }
    std::string programId = MimeProgramId(id, path);
    if (programId.empty()) {
        return std::nullopt;
    }
    RegKeyNode key{std::string(path), {}};
    key.SetValue(RegValue{{}, REG_SZ, std::move(programId)});
    return key;
}

// Stores the key and its parents. An extension key that so far only the MIME database
// answered for takes its program id along, so that storing it changes nothing a reader sees.
RegKeyNode& StoreKey(HiveId id, Hive& hive, std::string_view path) {
    const std::string_view top = path.substr(0, path.find('\\'));
    if (hive.FindKey(top) == nullptr) {
        std::string programId = MimeProgramId(id, top);
        if (!programId.empty()) {
            hive.CreateKey(top).SetValue(RegValue{{}, REG_SZ, std::move(programId)});
        }
    }
    return hive.CreateKey(path);
}

bool KeyExists(HiveId id, const Hive& hive, std::string_view path) {
    return LookupKey(id, hive, path).has_value();
}

// The names of the sub-keys of `path` as callers see them: the stored ones and, below the root
// of HKEY_CLASSES_ROOT, the extension keys the MIME database answers for.
// Shared, since an enumeration asks for the whole list at each index.
std::shared_ptr<const std::vector<std::string>> SubKeyNames(HiveId id, const Hive& hive,
                                                            std::string_view path) {
    std::vector<std::string> names = hive.SubKeyNames(path);
    if (id == HiveId::kClassesRoot && path.empty()) {
        return State().ClassesRootNames(std::move(names), CurrentGlobs());
    }
    std::sort(names.begin(), names.end(), UpperCaseLess);
    return std::make_shared<const std::vector<std::string>>(std::move(names));
}

// The stored keys at `path` and below it, as a hive of their own.
Hive StoredSubtree(const Hive& hive, std::string_view path) {
    const std::string folded = FoldCase(path);
    Hive subtree;
    for (const RegKeyNode* key : hive.Keys()) {
        const std::string name = FoldCase(key->path);
        if (folded.empty() || name == folded || name.starts_with(folded + "\\")) {
            RegKeyNode& copy = subtree.CreateKey(key->path);
            for (const auto& [id, value] : key->values) {
                copy.SetValue(value);
            }
        }
    }
    return subtree;
}

// The value as RegSetValueExA stores it, or nullopt for data that does not fit its type.
std::optional<RegValue> MakeValue(const char* valueName, DWORD type, const BYTE* data, DWORD size) {
    const std::string_view name = valueName == nullptr ? std::string_view{} : valueName;
    if ((data == nullptr && size != 0) || HasControlCharacter(name) ||
        (type == REG_DWORD && size != 4)) {
        return std::nullopt;
    }
    std::string bytes =
        data == nullptr ? std::string{} : std::string(reinterpret_cast<const char*>(data), size);
    if (type == REG_SZ) {
        bytes.resize(std::strlen(bytes.c_str()));
    }
    return RegValue{std::string(name), type, std::move(bytes)};
}

// Whether the key holds the value as given: rewriting it as it stands leaves the file alone.
bool HoldsValue(const RegKeyNode& key, const RegValue& value) {
    const RegValue* old = key.FindValue(value.name);
    return old != nullptr && old->type == value.type && old->data == value.data;
}

}  // namespace

LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD /*reserved*/, char* /*keyClass*/,
                     DWORD options, REGSAM access, const SECURITY_ATTRIBUTES* /*security*/,
                     HKEY* result, DWORD* disposition) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    const auto base = State().Find(key);
    if (!base) {
        return ERROR_INVALID_HANDLE;
    }
    if (options != REG_OPTION_NON_VOLATILE) {
        return ERROR_INVALID_PARAMETER;
    }
    std::string path;
    if (const LONG error = JoinPath(base->path, subKey, path)) {
        return error;
    }
    const HiveId id = base->hive;
    bool created = false;
    const auto current = ReadHive(id);
    if (!KeyExists(id, *current, base->path)) {
        return ERROR_KEY_DELETED;
    }
    if (!KeyExists(id, *current, path)) {
        if ((base->access & KEY_CREATE_SUB_KEY) == 0) {
            return ERROR_ACCESS_DENIED;
        }
        const LONG error = Change(id, [&](Hive& hive, bool& changed) {
            if (!KeyExists(id, hive, base->path)) {
                return ERROR_KEY_DELETED;
            }
            if (!KeyExists(id, hive, path)) {
                StoreKey(id, hive, path);
                changed = created = true;
            }
            return ERROR_SUCCESS;
        });
        if (error != ERROR_SUCCESS) {
            return error;
        }
    }
    if (disposition != nullptr) {
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    *result = State().Add(OpenKey{id, path, access});
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD /*options*/, REGSAM access, HKEY* result) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    const auto base = State().Find(key);
    if (!base) {
        return ERROR_INVALID_HANDLE;
    }
    std::string path;
    if (const LONG error = JoinPath(base->path, subKey, path)) {
        return error;
    }
    const auto hive = CurrentHive(base->hive);
    if (!KeyExists(base->hive, *hive, base->path)) {
        return ERROR_KEY_DELETED;
    }
    if (!KeyExists(base->hive, *hive, path)) {
        return ERROR_FILE_NOT_FOUND;
    }
    *result = State().Add(OpenKey{base->hive, path, access});
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size) {
    const auto open = State().Find(key);
    if (!open) {
        return ERROR_INVALID_HANDLE;
    }
    if (reserved != nullptr || (data != nullptr && size == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    if ((open->access & KEY_QUERY_VALUE) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    const auto node = LookupKey(open->hive, *CurrentHive(open->hive), open->path);
    if (!node) {
        return ERROR_KEY_DELETED;
    }
    const RegValue* value = node->FindValue(valueName == nullptr ? "" : valueName);
    if (value == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (type != nullptr) {
        *type = value->type;
    }
    // Text goes out with its terminating NUL, counted in its size.
    const DWORD needed = static_cast<DWORD>(value->data.size() + (value->type == REG_SZ ? 1 : 0));
    if (size == nullptr) {
        return ERROR_SUCCESS;
    }
    if (data != nullptr && *size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (data != nullptr) {
        std::memcpy(data, value->data.c_str(), needed);
    }
    *size = needed;
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, const char* valueName, DWORD /*reserved*/, DWORD type,
                    const BYTE* data, DWORD size) {
    return RegSetKeyValueA(key, nullptr, valueName, type, data, size);
}

LONG RegSetKeyValueA(HKEY key, const char* subKey, const char* valueName, DWORD type,
                     const void* data, DWORD size) {
    const auto base = State().Find(key);
    if (!base) {
        return ERROR_INVALID_HANDLE;
    }
    if ((base->access & KEY_SET_VALUE) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    std::string path;
    if (const LONG error = JoinPath(base->path, subKey, path)) {
        return error;
    }
    auto value = MakeValue(valueName, type, static_cast<const BYTE*>(data), size);
    if (!value) {
        return ERROR_INVALID_PARAMETER;
    }
    const HiveId id = base->hive;
    // Whether the value can be set in `hive`, and whether it needs to be.
    const auto check = [&](const Hive& hive, bool& needed) {
        if (!KeyExists(id, hive, base->path)) {
            return ERROR_KEY_DELETED;
        }
        const auto node = LookupKey(id, hive, path);
        if (!node && (base->access & KEY_CREATE_SUB_KEY) == 0) {
            return ERROR_ACCESS_DENIED;
        }
        needed = !node || !HoldsValue(*node, *value);
        return ERROR_SUCCESS;
    };
    // A registration repeated at every start finds its values in place: that needs neither the
    // lock nor a second read.
    if (bool needed = true; check(*ReadHive(id), needed) == ERROR_SUCCESS && !needed) {
        return ERROR_SUCCESS;
    }
    return Change(id, [&](Hive& hive, bool& changed) {
        const LONG error = check(hive, changed);
        if (error == ERROR_SUCCESS && changed) {
            StoreKey(id, hive, path).SetValue(*value);
        }
        return error;
    });
}

LONG RegDeleteKeyA(HKEY key, const char* subKey) {
    const auto base = State().Find(key);
    if (!base) {
        return ERROR_INVALID_HANDLE;
    }
    if (subKey == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    std::string path;
    if (const LONG error = JoinPath(base->path, subKey, path)) {
        return error;
    }
    if (path.empty()) {
        return ERROR_ACCESS_DENIED;
    }
    const HiveId id = base->hive;
    const auto check = [&](const Hive& hive) {
        if (!KeyExists(id, hive, base->path)) {
            return ERROR_KEY_DELETED;
        }
        if (hive.FindKey(path) == nullptr) {
            return KeyExists(id, hive, path) ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
        }
        return hive.HasSubKeys(path) ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
    };
    // Failures need no lock, and so come out the same in a folder we cannot write.
    if (const LONG error = check(*ReadHive(id))) {
        return error;
    }
    return Change(id, [&](Hive& hive, bool& changed) {
        const LONG error = check(hive);
        if (error == ERROR_SUCCESS) {
            hive.DeleteKey(path);
            changed = true;
        }
        return error;
    });
}

LONG RegDeleteValueA(HKEY key, const char* valueName) {
    const auto open = State().Find(key);
    if (!open) {
        return ERROR_INVALID_HANDLE;
    }
    if ((open->access & KEY_SET_VALUE) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    const std::string name = valueName == nullptr ? std::string{} : valueName;
    const auto check = [&](const Hive& hive) {
        const auto node = LookupKey(open->hive, hive, open->path);
        if (!node) {
            return ERROR_KEY_DELETED;
        }
        return node->FindValue(name) == nullptr ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
    };
    if (const LONG error = check(*ReadHive(open->hive))) {
        return error;
    }
    return Change(open->hive, [&](Hive& hive, bool& changed) {
        const LONG error = check(hive);
        if (error == ERROR_SUCCESS) {
            StoreKey(open->hive, hive, open->path).EraseValue(name);
            changed = true;
        }
        return error;
    });
}

LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved,
                   char* keyClass, DWORD* classSize, FILETIME* lastWriteTime) {
    const auto open = State().Find(key);
    if (!open) {
        return ERROR_INVALID_HANDLE;
    }
    if (name == nullptr || nameSize == nullptr || reserved != nullptr ||
        (keyClass != nullptr && classSize == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    if ((open->access & KEY_ENUMERATE_SUB_KEYS) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    const auto hive = CurrentHive(open->hive);
    if (!KeyExists(open->hive, *hive, open->path)) {
        return ERROR_KEY_DELETED;
    }
    const auto listed = SubKeyNames(open->hive, *hive, open->path);
    const std::vector<std::string>& names = *listed;
    if (index >= names.size()) {
        return ERROR_NO_MORE_ITEMS;
    }
    const std::string& found = names[index];
    if (*nameSize <= found.size()) {
        return ERROR_MORE_DATA;
    }
    std::memcpy(name, found.c_str(), found.size() + 1);
    *nameSize = static_cast<DWORD>(found.size());
    if (keyClass != nullptr && *classSize > 0) {
        keyClass[0] = '\0';
    }
    if (classSize != nullptr) {
        *classSize = 0;
    }
    if (lastWriteTime != nullptr) {
        *lastWriteTime = FILETIME{};
    }
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
    if (key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE) {
        return ERROR_SUCCESS;
    }
    return State().Remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

registry::ChangeWatch::ChangeWatch(HKEY key, const char* subKey) {
    const auto base = State().Find(key);
    if (base && JoinPath(base->path, subKey, path_) == ERROR_SUCCESS) {
        hive_ = static_cast<int>(base->hive);
        snapshot_ = Snapshot();
    }
}

bool registry::ChangeWatch::HasChanged() const {
    return hive_ >= 0 && Snapshot() != snapshot_;
}

std::string registry::ChangeWatch::Snapshot() const {
    const auto id = static_cast<HiveId>(hive_);
    return FormatRegText(StoredSubtree(*ReadHive(id), path_), HiveName(id));
}

registry::ReadSnapshot::ReadSnapshot() {
    if (activeSnapshot == nullptr) {
        files_ = std::make_unique<SnapshotFiles>();
        activeSnapshot = files_.get();
    }
}

registry::ReadSnapshot::~ReadSnapshot() {
    if (files_) {
        activeSnapshot = nullptr;
    }
}

void registry::SetMimeGlobsPath(const std::string& path) {
    State().SetMimeGlobsPath(path);
    if (activeSnapshot != nullptr) {
        activeSnapshot->globs.reset();
    }
}
