#include "app/recentmenu.h"

#include <array>
#include <string_view>

namespace {

constexpr std::array<const char*, 6> kMnemonics = {"A", "B", "C", "D", "E", "F"};
constexpr std::string_view kEllipsis = "...";
// The part kept before the ellipsis; the rest of the room goes to the end of the path, which
// names the folder itself.
constexpr std::size_t kHeadBytes = 24;

bool IsContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The label text of a path: '&' shown as itself rather than marking a mnemonic, and a tab,
// which would start the right-hand column, as a space.
std::string MenuText(const std::string& path) {
    std::string text;
    for (const char c : path) {
        if (c == '&') {
            text += "&&";
        } else {
            text += c == '\t' ? ' ' : c;
        }
    }
    return text;
}

}  // namespace

std::string ShortPath(const std::string& path) {
    if (path.size() <= kLongestMenuPath) {
        return path;
    }
    std::size_t head = kHeadBytes;
    while (head > 0 && IsContinuationByte(path[head])) {
        --head;
    }
    std::size_t tail = path.size() - (kLongestMenuPath - kHeadBytes - kEllipsis.size());
    while (tail < path.size() && IsContinuationByte(path[tail])) {
        ++tail;
    }
    return path.substr(0, head) + std::string(kEllipsis) + path.substr(tail);
}

std::vector<RecentMenuItem> RecentMenuItems(const std::vector<std::string>& folders) {
    std::vector<RecentMenuItem> items;
    for (std::size_t i = 0; i < folders.size() && i < kMnemonics.size(); ++i) {
        items.push_back({kRecentCommandFirst + static_cast<int>(i),
                         MenuText(ShortPath(folders[i])) + "\t(&" + kMnemonics[i] + ")"});
    }
    return items;
}
