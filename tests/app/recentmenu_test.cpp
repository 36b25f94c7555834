#include "app/recentmenu.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace {

using ::testing::ElementsAre;
using ::testing::Field;

std::string Repeat(const std::string& piece, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

TEST(ShortPathTest, PathsOfMoreThan80BytesLoseTheirMiddle) {
    const std::string eighty = "/" + Repeat("a", 79);
    const std::string long100 = "/home/li/" + Repeat("x", 70) + "/Album 2001";
    struct Case {
        std::string path;
        std::string expected;
    };
    const Case cases[] = {
        {"/music/pop", "/music/pop"},
        {eighty, eighty},  // exactly 80 bytes: whole
        {eighty + "b", "/" + Repeat("a", 23) + "..." + Repeat("a", 52) + "b"},
        {long100, "/home/li/" + Repeat("x", 15) + "..." + Repeat("x", 42) + "/Album 2001"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShortPath(c.path), c.expected) << c.path;
    }
}

// Three-byte characters across both cuts: neither may be split, whatever their offset.
TEST(ShortPathTest, NeverCutsACharacterInTwo) {
    for (std::size_t prefix = 0; prefix < 3; ++prefix) {
        const std::string path = "/" + Repeat("p", prefix) + Repeat("音乐", 30);  // 181+ bytes
        const std::string shortened = ShortPath(path);
        EXPECT_LE(shortened.size(), kLongestMenuPath) << prefix;
        EXPECT_GE(shortened.size(), kLongestMenuPath - 4) << prefix;
        EXPECT_TRUE(codepage::IsValidUtf8(shortened)) << prefix;
        EXPECT_EQ(shortened.substr(shortened.size() - 6), "音乐") << prefix;
    }
}

TEST(RecentMenuTest, ItemsReadTheFolderThenItsLetterAndCountFrom5000) {
    const std::vector<RecentMenuItem> items =
        RecentMenuItems({"/music/pop", "/home/李/歌", "/a", "/b", "/c"});
    EXPECT_THAT(items, ElementsAre(Field(&RecentMenuItem::label, "/music/pop\t(&A)"),
                                   Field(&RecentMenuItem::label, "/home/李/歌\t(&B)"),
                                   Field(&RecentMenuItem::label, "/a\t(&C)"),
                                   Field(&RecentMenuItem::label, "/b\t(&D)"),
                                   Field(&RecentMenuItem::label, "/c\t(&E)")));
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].command, kRecentCommandFirst + static_cast<int>(i));
    }
    EXPECT_EQ(RecentMenuItems({"1", "2", "3", "4", "5", "6", "7"}).back().label, "6\t(&F)");
    EXPECT_TRUE(RecentMenuItems({}).empty());
}

TEST(RecentMenuTest, ALabelShowsAmpersandsAndTabsOfTheFolderAsTheyAre) {
    const std::string longFolder = "/Rock & Roll/" + Repeat("x", 80);
    const std::vector<RecentMenuItem> items =
        RecentMenuItems({"/Rock & Roll", "/a\tb", longFolder});
    EXPECT_EQ(items[0].label, "/Rock && Roll\t(&A)");
    EXPECT_EQ(items[1].label, "/a b\t(&B)");
    // Shortened first, so that the label keeps the full 80 bytes of the folder.
    EXPECT_EQ(items[2].label,
              "/Rock && Roll/" + Repeat("x", 11) + "..." + Repeat("x", 53) + "\t(&C)");
}

}  // namespace
