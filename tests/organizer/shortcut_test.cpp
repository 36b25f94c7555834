#include "organizer/shortcut.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/support/fileio.h"
#include "tests/support/tempdir.h"
#include "tests/support/unprivileged.h"

namespace {

std::string LinkTarget(const std::string& path) {
    std::error_code error;
    return std::filesystem::read_symlink(path, error).string();
}

int EntryCount(const std::string& folder) {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

class ShortcutTest : public ::testing::Test {
protected:
    TempDir m_dir;
    std::string m_song = m_dir / "track05.mp3";
    std::string m_link = m_dir / "小雨.mp3.lnk";

    void SetUp() override { WriteFile(m_song, "audio"); }
};

TEST_F(ShortcutTest, InspectTellsLiveDeadAndOtherEntries) {
    ASSERT_EQ(symlink(m_song.c_str(), (m_dir / "live.mp3.lnk").c_str()), 0);
    ASSERT_EQ(symlink(m_dir.path().c_str(), (m_dir / "folder.wma.lnk").c_str()), 0);
    ASSERT_EQ(symlink((m_dir / "gone.mp3").c_str(), (m_dir / "dead.mp3.lnk").c_str()), 0);
    ASSERT_EQ(symlink((m_song + "/x").c_str(), (m_dir / "notdir.mp3.lnk").c_str()), 0);
    ASSERT_EQ(symlink("loop.mp3.lnk", (m_dir / "loop.mp3.lnk").c_str()), 0);
    WriteFile(m_dir / "windows.mp3.lnk", "L\0\0\0");

    EXPECT_EQ(InspectShortcut(m_dir / "live.mp3.lnk"), ShortcutState::Live);
    EXPECT_EQ(InspectShortcut(m_dir / "folder.wma.lnk"), ShortcutState::Live);
    EXPECT_EQ(InspectShortcut(m_dir / "dead.mp3.lnk"), ShortcutState::Dead);
    EXPECT_EQ(InspectShortcut(m_dir / "notdir.mp3.lnk"), ShortcutState::Dead);
    EXPECT_EQ(InspectShortcut(m_dir / "loop.mp3.lnk"), ShortcutState::Unchecked);
    EXPECT_EQ(InspectShortcut(m_dir / "windows.mp3.lnk"), ShortcutState::NotALink);
    EXPECT_EQ(InspectShortcut(m_dir / "absent.mp3.lnk"), ShortcutState::NotALink);
}

TEST_F(ShortcutTest, TargetBehindAFolderWithoutSearchPermissionIsKept) {
    const std::string locked = m_dir / "locked";
    ASSERT_EQ(mkdir(locked.c_str(), 0700), 0);
    ASSERT_EQ(symlink((locked + "/gone.mp3").c_str(), m_link.c_str()), 0);
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);

    const int result = RunUnprivileged(m_dir.path(), [&] {
        const bool unchecked = InspectShortcut(m_link) == ShortcutState::Unchecked;
        return unchecked && !DeleteDeadShortcut(m_link) ? 0 : 1;
    });

    EXPECT_EQ(result, 0);
    EXPECT_EQ(LinkTarget(m_link), locked + "/gone.mp3");
}

TEST_F(ShortcutTest, CreateWritesALinkHoldingTheTarget) {
    ASSERT_TRUE(CreateShortcut(m_song, m_link));

    EXPECT_EQ(LinkTarget(m_link), m_song);
    EXPECT_EQ(InspectShortcut(m_link), ShortcutState::Live);
    EXPECT_EQ(EntryCount(m_dir.path()), 2) << "no temporary name is left behind";
}

TEST_F(ShortcutTest, CreateReplacesAnExistingLinkOfThatName) {
    const std::string other = m_dir / "other.mp3";
    WriteFile(other, "other");
    ASSERT_EQ(symlink((m_dir / "gone.mp3").c_str(), m_link.c_str()), 0);
    ASSERT_TRUE(CreateShortcut(other, m_link));
    ASSERT_TRUE(CreateShortcut(m_song, m_link));

    EXPECT_EQ(LinkTarget(m_link), m_song);
    EXPECT_EQ(EntryCount(m_dir.path()), 3);
}

TEST_F(ShortcutTest, CreateNeverReplacesAFileOrFolder) {
    WriteFile(m_link, "a Windows shortcut");
    const std::string folderLink = m_dir / "folder.mp3.lnk";
    ASSERT_EQ(mkdir(folderLink.c_str(), 0755), 0);

    EXPECT_FALSE(CreateShortcut(m_song, m_link));
    EXPECT_FALSE(CreateShortcut(m_song, folderLink));

    EXPECT_EQ(ReadFile(m_link), "a Windows shortcut");
    EXPECT_TRUE(std::filesystem::is_directory(folderLink));
    EXPECT_EQ(EntryCount(m_dir.path()), 3);
}

}  // namespace
