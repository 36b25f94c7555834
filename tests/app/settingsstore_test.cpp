#include "app/settingsstore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/fileio.h"
#include "tests/support/scopedconfighome.h"

namespace {

using ::testing::HasSubstr;

// The names are what the file-manager menu and the user's settings file know the values by.
TEST(SettingsStoreTest, KeepsEachSettingUnderItsNameInTheRegistry) {
    ScopedConfigHome config;
    SettingsStore settings;
    ASSERT_TRUE(settings.SetFindPath(1));
    ASSERT_TRUE(settings.SetArtistDir(1));
    ASSERT_TRUE(settings.SetExePath("/opt/sortune/sortune"));
    for (int i = 0; i < SettingsStore::kRecentCount; ++i) {
        ASSERT_TRUE(settings.SetRecentPath(i, "/m/" + std::to_string(i)));
    }

    const std::string hive = ReadFile(config.HiveFile("HKEY_CURRENT_USER"));
    const char* lines[] = {
        "[HKEY_CURRENT_USER\\Software\\Sortune\\Set]\n",
        "\"FindPath\"=dword:00000001\n",
        "\"Artist_dir\"=dword:00000001\n",
        "\"ExePath\"=\"/opt/sortune/sortune\"\n",
        "\"path0\"=\"/m/0\"\n",
        "\"path4\"=\"/m/4\"\n",
    };
    for (const char* line : lines) {
        EXPECT_THAT(hive, HasSubstr(line));
    }
    EXPECT_EQ(settings.FindPath(), 1);
    EXPECT_EQ(settings.RecentPath(4), "/m/4");
}

}  // namespace
