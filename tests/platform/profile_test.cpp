#include "platform/profile.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/registry.h"
#include "tests/support/scopedconfighome.h"

namespace {

class ProfileTest : public ::testing::Test {
protected:
    ScopedConfigHome m_home;
};

bool Exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

TEST_F(ProfileTest, MissingValuesGiveTheDefault) {
    EXPECT_EQ(GetProfileInt("Set", "FindPath", 0), 0u);
    EXPECT_EQ(GetProfileInt("Set", "Artist_dir", 7), 7u);
    EXPECT_EQ(GetProfileString("Set", "path0"), "");
    EXPECT_EQ(GetProfileString("Set", "ExePath", "fallback"), "fallback");
    // Reading creates nothing.
    EXPECT_FALSE(Exists(m_home.HiveFile("HKEY_CURRENT_USER")));

    ASSERT_TRUE(WriteProfileInt("Set", "FindPath", 1));
    EXPECT_EQ(GetProfileInt("Set", "Artist_dir", 3), 3u);
    EXPECT_EQ(GetProfileString("Set", "path4", "none"), "none");
    EXPECT_EQ(GetProfileInt("Other", "FindPath", 5), 5u);
}

TEST_F(ProfileTest, ValuesRoundTrip) {
    ASSERT_TRUE(WriteProfileInt("Set", "FindPath", 1));
    ASSERT_TRUE(WriteProfileInt("Set", "Artist_dir", 0));
    ASSERT_TRUE(WriteProfileInt("Set", "negative", -1));
    const std::string gbk = "d:\\\xD2\xF4\xC0\xD6\\\"pop\"";
    const std::string longText(20000, 'x');
    ASSERT_TRUE(WriteProfileString("Set", "path0", gbk));
    ASSERT_TRUE(WriteProfileString("Set", "path1", ""));
    ASSERT_TRUE(WriteProfileString("Set", "path2", longText));
    EXPECT_EQ(GetProfileInt("Set", "FindPath", 0), 1u);
    EXPECT_EQ(GetProfileInt("Set", "Artist_dir", 1), 0u);
    EXPECT_EQ(GetProfileInt("Set", "negative", 0), 0xFFFFFFFFu);
    EXPECT_EQ(GetProfileString("Set", "path0"), gbk);
    EXPECT_EQ(GetProfileString("Set", "path1", "default"), "");
    EXPECT_EQ(GetProfileString("Set", "path2"), longText);

    ASSERT_TRUE(WriteProfileInt("Set", "FindPath", 0));
    EXPECT_EQ(GetProfileInt("Set", "findpath", 1), 0u);
}

// Where the shell extension looks for the program: HKCU\SOFTWARE\Sortune\Set, as REG_SZ.
TEST_F(ProfileTest, ValuesLiveUnderTheProgramsKeyWithTheirTypes) {
    ASSERT_TRUE(WriteProfileString("Set", "ExePath", "/opt/sortune/sortune"));
    ASSERT_TRUE(WriteProfileInt("Set", "FindPath", 1));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Sortune\\Set", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    char path[512] = {};
    DWORD size = sizeof path;
    DWORD type = REG_NONE;
    EXPECT_EQ(
        RegQueryValueExA(key, "ExePath", nullptr, &type, reinterpret_cast<BYTE*>(path), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_STREQ(path, "/opt/sortune/sortune");
    size = sizeof path;
    EXPECT_EQ(
        RegQueryValueExA(key, "FindPath", nullptr, &type, reinterpret_cast<BYTE*>(path), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(size, 4u);
    RegCloseKey(key);
}

// A value of the other type is not the value asked for: the default answers.
TEST_F(ProfileTest, ValueOfTheOtherTypeGivesTheDefault) {
    ASSERT_TRUE(WriteProfileString("Set", "FindPath", "1"));
    ASSERT_TRUE(WriteProfileInt("Set", "path0", 1));
    EXPECT_EQ(GetProfileInt("Set", "FindPath", 9), 9u);
    EXPECT_EQ(GetProfileString("Set", "path0", "default"), "default");
}

// The registry ends a text at its first NUL: such a value is refused, never stored cut short.
TEST_F(ProfileTest, ATextHoldingANulIsRefusedNotCut) {
    ASSERT_TRUE(WriteProfileString("Set", "path0", "/old"));
    for (const std::string& value : {std::string("/a\0b", 4), std::string("\0", 1)}) {
        EXPECT_FALSE(WriteProfileString("Set", "path0", value));
        EXPECT_FALSE(WriteProfileString("Set", "path1", value));
    }
    EXPECT_EQ(GetProfileString("Set", "path0"), "/old");
    EXPECT_EQ(GetProfileString("Set", "path1", "none"), "none");
}

TEST_F(ProfileTest, WritesReportFailure) {
    std::ofstream(m_home.path() + "/sortune") << "a file where the folder should be";
    EXPECT_FALSE(WriteProfileInt("Set", "FindPath", 1));
    EXPECT_FALSE(WriteProfileString("Set", "ExePath", "/a"));
    EXPECT_EQ(GetProfileInt("Set", "FindPath", 0), 0u);
    EXPECT_EQ(GetProfileString("Set", "ExePath", "none"), "none");
}

}  // namespace
