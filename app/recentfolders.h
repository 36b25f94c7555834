#pragma once

#include <string>
#include <vector>

#include "app/settingsstore.h"

// The five folders organised last, most recent first, kept in the settings as path0 (most
// recent) to path4. Paths compare byte for byte: Linux names are case-sensitive, so two
// spellings that differ in case are two folders.
class RecentFolders {
public:
    static constexpr int kSize = SettingsStore::kRecentCount;

    // The store must outlive the list.
    explicit RecentFolders(SettingsStore& store) : store_(store) {}

    // Appends the stored folders to `list`, skipping empty values and those already in it.
    void MergeStored(std::vector<std::string>& list) const;

    // Puts `folder` at the head of the stored list; a folder already stored moves up, and
    // when five others were stored the oldest is dropped.
    void AddFolder(const std::string& folder);

private:
    SettingsStore& store_;
};
