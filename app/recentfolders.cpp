#include "app/recentfolders.h"

#include <algorithm>

void RecentFolders::MergeStored(std::vector<std::string>& list) const {
    for (int i = 0; i < kSize; ++i) {
        std::string stored = store_.RecentPath(i);
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
        store_.SetRecentPath(i, list[static_cast<std::size_t>(i)]);
    }
}
