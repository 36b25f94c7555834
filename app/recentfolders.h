#pragma once

#include <string>
#include <vector>

// The five folders organised last, most recent first, kept in the settings as path0 (most
// recent) to path4 under the section "Set". Paths compare byte for byte: Linux names are
// case-sensitive, so two spellings that differ in case are two folders.
class RecentFolders {
public:
    static constexpr int kSize = 5;

    // Appends the stored folders to `list`, skipping empty values and those already in it.
    static void MergeStored(std::vector<std::string>& list);

    // Puts `folder` at the head of the stored list; a folder already stored moves up, and
    // when five others were stored the oldest is dropped.
    static void AddFolder(const std::string& folder);
};
