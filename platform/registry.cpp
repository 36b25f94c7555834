#include "platform/registry.h"

#include <cstring>
#include <map>
#include <mutex>
#include <optional>

#include "platform/hivefile.h"
#include "platform/mimeglobs.h"

using namespace registry_detail;

namespace {

constexpr const char* kDefaultMimeGlobs = "/usr/share/mime/globs2";

struct OpenKey {
    HiveId hive = HiveId::kCurrentUser;
    std::string path;
    REGSAM access = 0;
};

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
        mimeGlobs_ = path.empty() ? kDefaultMimeGlobs : path;
    }

    std::string MimeGlobsPath() {
        const std::lock_guard lock(mutex_);
        return mimeGlobs_;
    }

private:
    std::mutex mutex_;
    std::map<std::uintptr_t, OpenKey> keys_;
    // Handles are never reused, so that a closed handle stays invalid.
    std::uintptr_t next_ = 0;
    std::string mimeGlobs_ = kDefaultMimeGlobs;
};

RegistryState& State() {
    static RegistryState state;
    return state;
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
    return MimeTypeForExtension(State().MimeGlobsPath(), path);
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
    const Hive current = ReadHive(id);
    if (!KeyExists(id, current, base->path)) {
        return ERROR_KEY_DELETED;
    }
    if (!KeyExists(id, current, path)) {
        if ((base->access & KEY_CREATE_SUB_KEY) == 0) {
            return ERROR_ACCESS_DENIED;
        }
        const LONG error = ChangeHive(id, [&](Hive& hive, bool& changed) {
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
    const Hive hive = ReadHive(base->hive);
    if (!KeyExists(base->hive, hive, base->path)) {
        return ERROR_KEY_DELETED;
    }
    if (!KeyExists(base->hive, hive, path)) {
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
    const auto node = LookupKey(open->hive, ReadHive(open->hive), open->path);
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
    const auto open = State().Find(key);
    if (!open) {
        return ERROR_INVALID_HANDLE;
    }
    if ((open->access & KEY_SET_VALUE) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    auto value = MakeValue(valueName, type, data, size);
    if (!value) {
        return ERROR_INVALID_PARAMETER;
    }
    return ChangeHive(open->hive, [&](Hive& hive, bool& changed) {
        const auto node = LookupKey(open->hive, hive, open->path);
        if (!node) {
            return ERROR_KEY_DELETED;
        }
        // Rewriting a value as it stands leaves the file alone.
        const RegValue* old = node->FindValue(value->name);
        changed = old == nullptr || old->type != value->type || old->data != value->data;
        if (changed) {
            StoreKey(open->hive, hive, open->path).SetValue(*value);
        }
        return ERROR_SUCCESS;
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
    if (const LONG error = check(ReadHive(id))) {
        return error;
    }
    return ChangeHive(id, [&](Hive& hive, bool& changed) {
        const LONG error = check(hive);
        if (error == ERROR_SUCCESS) {
            hive.DeleteKey(path);
            changed = true;
        }
        return error;
    });
}

LONG RegCloseKey(HKEY key) {
    if (key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE) {
        return ERROR_SUCCESS;
    }
    return State().Remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

void registry::SetMimeGlobsPath(const std::string& path) {
    State().SetMimeGlobsPath(path);
}
