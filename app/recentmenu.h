#pragma once

#include <string>
#include <vector>

// The items of the recent-folders menu: one for each of the folders organised last, labelled
// with the folder (its middle left out when it is long) and, at the right edge, its mnemonic
// letter: "/home/li/音乐\t(&A)". Choosing an item sends its command, 5000 for the first.

constexpr int kRecentCommandFirst = 5000;
constexpr int kRecentCommandLast = 5100;
// Paths up to this many bytes are shown whole.
constexpr std::size_t kLongestMenuPath = 80;

struct RecentMenuItem {
    int command;
    std::string label;  // UTF-8, '&' marking the mnemonic
};

// A path of more than kLongestMenuPath bytes with its middle replaced by "...", the result
// at most kLongestMenuPath bytes long, cut between characters; a shorter path as it is.
// (A Windows path has a short 8.3 form for this; a Linux path has none.)
std::string ShortPath(const std::string& path);

// The menu's items for the stored folders, most recent first; at most six, lettered A to F.
std::vector<RecentMenuItem> RecentMenuItems(const std::vector<std::string>& folders);
