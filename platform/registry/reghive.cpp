#include "platform/registry/reghive.h"

#include <algorithm>

#include "platform/ascii.h"

namespace registry_detail {

std::string FoldCase(std::string_view name) {
    return AsciiLower(std::string(name));
}

std::string_view ParentPath(std::string_view path) {
    const auto slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash);
}

std::string_view LastPart(std::string_view path) {
    const auto slash = path.rfind('\\');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

const RegValue* RegKeyNode::FindValue(std::string_view name) const {
    const auto found = values.find(FoldCase(name));
    return found == values.end() ? nullptr : &found->second;
}

void RegKeyNode::SetValue(RegValue value) {
    const auto [slot, added] = values.try_emplace(FoldCase(value.name), value);
    if (!added) {
        slot->second.type = value.type;
        slot->second.data = std::move(value.data);
    }
}

bool RegKeyNode::EraseValue(std::string_view name) {
    return values.erase(FoldCase(name)) == 1;
}

bool Hive::PathLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto rank = [](char c) { return c == '\\' ? 0 : static_cast<unsigned char>(c) + 1; };
        return rank(x) < rank(y);
    });
}

const RegKeyNode* Hive::FindKey(std::string_view path) const {
    const auto found = keys_.find(FoldCase(path));
    return found == keys_.end() ? nullptr : &found->second;
}

RegKeyNode& Hive::CreateKey(std::string_view path, bool* created) {
    const std::string id = FoldCase(path);
    const auto found = keys_.find(id);
    if (created != nullptr) {
        *created = found == keys_.end();
    }
    if (found != keys_.end()) {
        return found->second;
    }
    std::string stored(path);
    if (!path.empty()) {
        const std::string_view parent = ParentPath(path);
        const std::string& parentPath = CreateKey(parent).path;
        stored = parentPath.empty() ? std::string(LastPart(path))
                                    : parentPath + "\\" + std::string(LastPart(path));
    }
    return keys_.emplace(id, RegKeyNode{stored, {}}).first->second;
}

bool Hive::HasSubKeys(std::string_view path) const {
    const std::string prefix = path.empty() ? std::string{} : FoldCase(path) + "\\";
    const auto next = keys_.upper_bound(FoldCase(path));
    return next != keys_.end() && next->first.starts_with(prefix);
}

std::vector<std::string> Hive::SubKeyNames(std::string_view path) const {
    const std::string prefix = path.empty() ? std::string{} : FoldCase(path) + "\\";
    std::vector<std::string> names;
    for (auto it = keys_.upper_bound(FoldCase(path)); it != keys_.end(); ++it) {
        if (!it->first.starts_with(prefix)) {
            break;
        }
        if (it->first.find('\\', prefix.size()) == std::string::npos) {
            names.emplace_back(LastPart(it->second.path));
        }
    }
    return names;
}

void Hive::DeleteKey(std::string_view path) {
    keys_.erase(FoldCase(path));
}

std::vector<const RegKeyNode*> Hive::Keys() const {
    std::vector<const RegKeyNode*> all;
    all.reserve(keys_.size());
    for (const auto& [id, key] : keys_) {
        all.push_back(&key);
    }
    return all;
}

}  // namespace registry_detail
