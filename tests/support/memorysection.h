#pragma once

#include <map>
#include <string>

#include "app/settingsstore.h"

// Settings kept in memory, for tests that must not touch the user's registry nor the
// environment. Every value written is kept with its type, as the registry keeps it.
class MemorySection : public ProfileSection {
public:
    std::map<std::string, unsigned int> ints;
    std::map<std::string, std::string> strings;

    unsigned int GetInt(const std::string& entry, int defaultValue) const override {
        const auto found = ints.find(entry);
        return found != ints.end() ? found->second : static_cast<unsigned int>(defaultValue);
    }
    std::string GetString(const std::string& entry,
                          const std::string& defaultValue) const override {
        const auto found = strings.find(entry);
        return found != strings.end() ? found->second : defaultValue;
    }
    bool WriteInt(const std::string& entry, int value) override {
        ints[entry] = static_cast<unsigned int>(value);
        return true;
    }
    bool WriteString(const std::string& entry, const std::string& value) override {
        strings[entry] = value;
        return true;
    }
};
