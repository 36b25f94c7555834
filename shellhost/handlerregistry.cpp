#include "shellhost/handlerregistry.h"

#include <algorithm>
#include <map>
#include <optional>

#include "platform/ascii.h"
#include "platform/registry.h"

namespace {

constexpr DWORD kNameBuffer = 1024;

// An open key, closed when it goes.
class OpenKey {
public:
    OpenKey(HKEY root, const std::string& path) {
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS) {
            key_ = nullptr;
        }
    }
    ~OpenKey() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    HKEY Get() const { return key_; }

    // The key's default value as text, nullopt when the key or the value is missing.
    std::optional<std::string> DefaultValue() const {
        DWORD type = REG_NONE;
        DWORD size = 0;
        if (key_ == nullptr ||
            RegQueryValueExA(key_, nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            type != REG_SZ || size == 0) {
            return std::nullopt;
        }
        std::string text(size, '\0');
        if (RegQueryValueExA(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()),
                             &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        text.resize(size > 0 ? size - 1 : 0);
        return text;
    }

    std::vector<std::string> SubKeys() const {
        std::vector<std::string> names;
        char name[kNameBuffer];
        for (DWORD index = 0; key_ != nullptr; ++index) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(key_, index, name, &size, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS) {
                break;
            }
            names.emplace_back(name, size);
        }
        return names;
    }

private:
    HKEY key_ = nullptr;
};

// The class id a handler key names: its default value, or its own name when that is braced.
std::string HandlerClassId(const std::string& handlerKey, const std::string& name) {
    const std::string value = OpenKey(HKEY_CLASSES_ROOT, handlerKey).DefaultValue().value_or("");
    if (!value.empty()) {
        return value;
    }
    return name.starts_with('{') ? name : std::string{};
}

}  // namespace

std::vector<HandlerRegistration> FindContextMenuHandlers() {
    // A walk over every extension key: the hives and the MIME database read once for all.
    const registry::ReadSnapshot snapshot;
    // Program id -> its extensions, in the order the registry lists them.
    std::map<std::string, std::vector<std::string>> extensionsOf;
    std::vector<std::string> programIds;
    for (const std::string& name : OpenKey(HKEY_CLASSES_ROOT, "").SubKeys()) {
        if (!name.starts_with('.')) {
            continue;
        }
        const std::string programId = OpenKey(HKEY_CLASSES_ROOT, name).DefaultValue().value_or("");
        if (programId.empty()) {
            continue;
        }
        auto& extensions = extensionsOf[programId];
        if (extensions.empty()) {
            programIds.push_back(programId);
        }
        extensions.push_back(name);
    }
    std::map<std::string, HandlerRegistration> byClass;
    for (const std::string& programId : programIds) {
        const std::string handlers = programId + "\\shellex\\ContextMenuHandlers";
        for (const std::string& name : OpenKey(HKEY_CLASSES_ROOT, handlers).SubKeys()) {
            const std::string classId = HandlerClassId(handlers + "\\" + name, name);
            if (classId.empty()) {
                continue;
            }
            HandlerRegistration& handler = byClass[AsciiUpper(classId)];
            handler.classId = classId;
            if (std::find(handler.programIds.begin(), handler.programIds.end(), programId) ==
                handler.programIds.end()) {
                handler.programIds.push_back(programId);
                const auto& extensions = extensionsOf[programId];
                handler.extensions.insert(handler.extensions.end(), extensions.begin(),
                                          extensions.end());
            }
        }
    }
    std::vector<HandlerRegistration> found;
    for (auto& [id, handler] : byClass) {
        handler.modulePath =
            OpenKey(HKEY_CLASSES_ROOT, "CLSID\\" + handler.classId + "\\InProcServer32")
                .DefaultValue()
                .value_or("");
        if (!handler.modulePath.empty()) {
            found.push_back(std::move(handler));
        }
    }
    return found;
}

HandlerRegistration FindContextMenuHandler(const std::string& classId) {
    for (HandlerRegistration& handler : FindContextMenuHandlers()) {
        if (AsciiUpper(handler.classId) == AsciiUpper(classId)) {
            return std::move(handler);
        }
    }
    return {};
}
