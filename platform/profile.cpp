#include "platform/profile.h"

#include <vector>

#include "platform/registry.h"

namespace {

constexpr const char* kApplicationKey = "Software\\Sortune";

std::string SectionPath(const std::string& section) {
    return std::string(kApplicationKey) + "\\" + section;
}

// The program's section opened for reading, closed when it goes.
class SectionKey {
public:
    explicit SectionKey(const std::string& section) {
        if (RegOpenKeyExA(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, KEY_READ, &key_) !=
            ERROR_SUCCESS) {
            key_ = nullptr;
        }
    }
    ~SectionKey() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    SectionKey(const SectionKey&) = delete;
    SectionKey& operator=(const SectionKey&) = delete;

    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Writes the value, making its section when it is new.
bool SetValue(const std::string& section, const std::string& entry, DWORD type, const BYTE* data,
              DWORD size) {
    return RegSetKeyValueA(HKEY_CURRENT_USER, SectionPath(section).c_str(), entry.c_str(), type,
                           data, size) == ERROR_SUCCESS;
}

}  // namespace

unsigned int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) {
    const SectionKey key(section);
    DWORD type = REG_NONE;
    BYTE data[4] = {};
    DWORD size = sizeof data;
    if (key.Get() == nullptr ||
        RegQueryValueExA(key.Get(), entry.c_str(), nullptr, &type, data, &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data) {
        return static_cast<unsigned int>(defaultValue);
    }
    return data[0] | data[1] << 8 | data[2] << 16 | static_cast<unsigned int>(data[3]) << 24;
}

std::string GetProfileString(const std::string& section, const std::string& entry,
                             const std::string& defaultValue) {
    const SectionKey key(section);
    if (key.Get() == nullptr) {
        return defaultValue;
    }
    // Another process may make the value longer between asking its size and reading it.
    DWORD type = REG_NONE;
    DWORD size = 0;
    LONG result = RegQueryValueExA(key.Get(), entry.c_str(), nullptr, &type, nullptr, &size);
    std::vector<BYTE> data;
    while (result == ERROR_SUCCESS && type == REG_SZ) {
        data.resize(size);
        result = RegQueryValueExA(key.Get(), entry.c_str(), nullptr, &type, data.data(), &size);
        if (result == ERROR_SUCCESS && type == REG_SZ && size > 0) {
            return std::string(reinterpret_cast<const char*>(data.data()), size - 1);
        }
        result = result == ERROR_MORE_DATA ? ERROR_SUCCESS : result;
    }
    return defaultValue;
}

bool WriteProfileInt(const std::string& section, const std::string& entry, int value) {
    const auto number = static_cast<DWORD>(value);
    const BYTE data[4] = {static_cast<BYTE>(number), static_cast<BYTE>(number >> 8),
                          static_cast<BYTE>(number >> 16), static_cast<BYTE>(number >> 24)};
    return SetValue(section, entry, REG_DWORD, data, sizeof data);
}

bool WriteProfileString(const std::string& section, const std::string& entry,
                        const std::string& value) {
    // The registry ends a text at its first NUL: such a value would not read back as written.
    if (value.find('\0') != std::string::npos) {
        return false;
    }
    return SetValue(section, entry, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                    static_cast<DWORD>(value.size() + 1));
}
