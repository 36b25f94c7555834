#include "app/recentfolders.h"

#include <algorithm>

#include "platform/ansistring.h"
#include "platform/profile.h"

namespace {

constexpr const char* kSection = "Set";

std::string ValueName(int index) {
    return ansi::Format("path%d", index);
}

}  // namespace

void RecentFolders::MergeStored(std::vector<std::string>& list) {
    for (int i = 0; i < kSize; ++i) {
        std::string stored = GetProfileString(kSection, ValueName(i), "");
        if (!stored.empty() && std::find(list.begin(), list.end(), stored) == list.end()) {
            list.push_back(std::move(stored));
        }
    }
}

void RecentFolders::AddFolder(const std::string& folder) {
    std::vector<std::string> list{folder};
    MergeStored(list);
    const int count = std::min(static_cast<int>(list.size()), kSize);
    for (int i = 0; i < count; ++i) {
        WriteProfileString(kSection, ValueName(i), list[static_cast<std::size_t>(i)]);
    }
}
