#include "app/recentfolders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/ansistring.h"
#include "platform/profile.h"
#include "tests/support/scopedconfighome.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RecentFoldersTest : public ::testing::Test {
protected:
    ScopedConfigHome m_config;

    static void Store(const std::vector<std::string>& values) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            WriteProfileString("Set", ansi::Format("path%zu", i), values[i]);
        }
    }
    static std::vector<std::string> Stored() {
        std::vector<std::string> values;
        for (int i = 0; i < 6; ++i) {
            values.push_back(GetProfileString("Set", ansi::Format("path%d", i), "-"));
        }
        return values;
    }
};

TEST_F(RecentFoldersTest, MergeStoredAppendsStoredFoldersSkippingGapsAndDuplicates) {
    Store({"/b", "", "/c", "/b", "/a"});
    std::vector<std::string> list{"/a"};
    RecentFolders::MergeStored(list);
    EXPECT_THAT(list, ElementsAre("/a", "/b", "/c"));

    std::vector<std::string> empty;
    Store({"", "", "", "", ""});
    RecentFolders::MergeStored(empty);
    EXPECT_THAT(empty, IsEmpty());
}

TEST_F(RecentFoldersTest, FoldersDifferingInCaseAreTwoFolders) {
    Store({"/Music"});
    std::vector<std::string> list{"/music"};
    RecentFolders::MergeStored(list);
    EXPECT_THAT(list, ElementsAre("/music", "/Music"));
}

TEST_F(RecentFoldersTest, TheFirstFolderIsStoredAsPath0) {
    RecentFolders::AddFolder("/音乐/流行");
    EXPECT_THAT(Stored(), ElementsAre("/音乐/流行", "-", "-", "-", "-", "-"));
}

TEST_F(RecentFoldersTest, AStoredFolderMovesToTheHead) {
    Store({"/a", "/b", "/c", "/d"});
    RecentFolders::AddFolder("/c");
    EXPECT_THAT(Stored(), ElementsAre("/c", "/a", "/b", "/d", "-", "-"));
}

TEST_F(RecentFoldersTest, ASixthFolderDropsTheOldest) {
    Store({"/a", "/b", "/c", "/d", "/e"});
    RecentFolders::AddFolder("/f");
    EXPECT_THAT(Stored(), ElementsAre("/f", "/a", "/b", "/c", "/d", "-"));
}

TEST_F(RecentFoldersTest, GapsCloseAndLaterValuesStay) {
    Store({"/a", "", "/b"});
    RecentFolders::AddFolder("/a");
    EXPECT_THAT(Stored(), ElementsAre("/a", "/b", "/b", "-", "-", "-"));
}

}  // namespace
