#include "app/recentfolders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/memorysection.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RecentFoldersTest : public ::testing::Test {
protected:
    MemorySection m_section;
    SettingsStore m_settings{m_section};
    RecentFolders m_recent{m_settings};

    void Store(const std::vector<std::string>& values) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            m_settings.SetRecentPath(static_cast<int>(i), values[i]);
        }
    }
    std::vector<std::string> Stored() const {
        std::vector<std::string> values;
        for (int i = 0; i < 6; ++i) {
            values.push_back(m_section.GetString("path" + std::to_string(i), "-"));
        }
        return values;
    }
};

TEST_F(RecentFoldersTest, MergeStoredAppendsStoredFoldersSkippingGapsAndDuplicates) {
    Store({"/b", "", "/c", "/b", "/a"});
    std::vector<std::string> list{"/a"};
    m_recent.MergeStored(list);
    EXPECT_THAT(list, ElementsAre("/a", "/b", "/c"));

    std::vector<std::string> empty;
    Store({"", "", "", "", ""});
    m_recent.MergeStored(empty);
    EXPECT_THAT(empty, IsEmpty());
}

TEST_F(RecentFoldersTest, FoldersDifferingInCaseAreTwoFolders) {
    Store({"/Music"});
    std::vector<std::string> list{"/music"};
    m_recent.MergeStored(list);
    EXPECT_THAT(list, ElementsAre("/music", "/Music"));
}

TEST_F(RecentFoldersTest, TheFirstFolderIsStoredAsPath0) {
    m_recent.AddFolder("/音乐/流行");
    EXPECT_THAT(Stored(), ElementsAre("/音乐/流行", "-", "-", "-", "-", "-"));
}

TEST_F(RecentFoldersTest, AStoredFolderMovesToTheHead) {
    Store({"/a", "/b", "/c", "/d"});
    m_recent.AddFolder("/c");
    EXPECT_THAT(Stored(), ElementsAre("/c", "/a", "/b", "/d", "-", "-"));
}

TEST_F(RecentFoldersTest, ASixthFolderDropsTheOldest) {
    Store({"/a", "/b", "/c", "/d", "/e"});
    m_recent.AddFolder("/f");
    EXPECT_THAT(Stored(), ElementsAre("/f", "/a", "/b", "/c", "/d", "-"));
}

TEST_F(RecentFoldersTest, GapsCloseAndLaterValuesStay) {
    Store({"/a", "", "/b"});
    m_recent.AddFolder("/a");
    EXPECT_THAT(Stored(), ElementsAre("/a", "/b", "/b", "-", "-", "-"));
}

}  // namespace
