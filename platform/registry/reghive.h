#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/regtypes.h"

namespace registry_detail {

// The registry's in-memory form of one hive, internal to the registry. Keys are held by path
// (parts joined by '\', "" for the hive's root). Key and value names compare without regard
// to the case of A-Z and keep the case in which they were first written.

struct RegValue {
    std::string name;  // "" for the key's default value
    DWORD type = REG_NONE;
    std::string data;  // REG_SZ: the text without a terminating NUL; other types: the bytes
};

struct RegKeyNode {
    std::string path;
    // By name as compared (FoldCase), so the default value comes first.
    std::map<std::string, RegValue> values;

    const RegValue* FindValue(std::string_view name) const;
    // Replaces the type and data of the value of that name, or adds the value.
    void SetValue(RegValue value);
    // Removes the value of that name; false when there is none.
    bool EraseValue(std::string_view name);
};

class Hive {
public:
    const RegKeyNode* FindKey(std::string_view path) const;
    // Returns the key, creating it and its missing parents; `created` tells whether the key
    // itself was new. Parts that exist keep their case; new ones take the case given here.
    RegKeyNode& CreateKey(std::string_view path, bool* created = nullptr);
    bool HasSubKeys(std::string_view path) const;
    // The last parts of the direct sub-keys of `path`, as stored.
    std::vector<std::string> SubKeyNames(std::string_view path) const;
    void DeleteKey(std::string_view path);

    // Every key, each parent before its sub-keys.
    std::vector<const RegKeyNode*> Keys() const;

private:
    // Orders '\' before every other byte, so that a key's sub-keys follow it directly.
    struct PathLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    std::map<std::string, RegKeyNode, PathLess> keys_;
};

// Names as compared: the letters A-Z lowered, everything else as it stands.
std::string FoldCase(std::string_view name);

// The parent of a key path ("" for a top-level key) and its last part.
std::string_view ParentPath(std::string_view path);
std::string_view LastPart(std::string_view path);

}  // namespace registry_detail
