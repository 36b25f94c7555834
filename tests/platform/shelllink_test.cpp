#include "platform/shelllink.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/support/contenthash.h"
#include "tests/support/fileio.h"
#include "tests/support/tempdir.h"
#include "tests/support/unprivileged.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

std::string LinkTarget(const std::string& path) {
    std::error_code error;
    return std::filesystem::read_symlink(path, error).string();
}

// The names in `folder`, sorted; a temporary name left behind shows here.
std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The names that leave a folder (moved away or deleted) while the watch lives.
class LeavingNames {
public:
    explicit LeavingNames(const std::string& folder)
        : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        EXPECT_GE(inotify_add_watch(m_fd, folder.c_str(), IN_MOVED_FROM | IN_DELETE), 0);
    }
    ~LeavingNames() { close(m_fd); }
    LeavingNames(const LeavingNames&) = delete;
    LeavingNames& operator=(const LeavingNames&) = delete;

    std::vector<std::string> Read() const {
        std::vector<std::string> names;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t size; (size = read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < size;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                names.emplace_back(event->len > 0 ? event->name : "");
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return names;
    }

private:
    int m_fd;
};

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
    EXPECT_THAT(Entries(m_dir.path()), ElementsAre("track05.mp3", "小雨.mp3.lnk"));
}

TEST_F(ShortcutTest, CreateReplacesAnExistingLinkOfThatName) {
    const std::string other = m_dir / "other.mp3";
    WriteFile(other, "other");
    ASSERT_EQ(symlink((m_dir / "gone.mp3").c_str(), m_link.c_str()), 0);
    ASSERT_TRUE(CreateShortcut(other, m_link));
    const LeavingNames leaving(m_dir.path());
    ASSERT_TRUE(CreateShortcut(m_song, m_link));

    // The old link is swapped out under the new one's temporary name and deleted there.
    EXPECT_THAT(leaving.Read(), Contains("小雨.mp3.lnk"));
    EXPECT_EQ(LinkTarget(m_link), m_song);
    EXPECT_THAT(Entries(m_dir.path()), ElementsAre("other.mp3", "track05.mp3", "小雨.mp3.lnk"));
}

TEST_F(ShortcutTest, AFileOfTheLinksNameStaysWhereAndWhatItIs) {
    WriteFile(m_link, std::string("L\0\0\0 a Windows shortcut", 24));
    struct stat before {};
    ASSERT_EQ(lstat(m_link.c_str(), &before), 0);
    const auto contents = HashFileContents(m_dir.path());
    const LeavingNames leaving(m_dir.path());

    EXPECT_FALSE(CreateShortcut(m_song, m_link));

    EXPECT_THAT(leaving.Read(), Not(Contains("小雨.mp3.lnk"))) << "not moved even for a moment";
    struct stat after {};
    ASSERT_EQ(lstat(m_link.c_str(), &after), 0);
    EXPECT_TRUE(S_ISREG(after.st_mode));
    EXPECT_EQ(after.st_ino, before.st_ino) << "the very same file, not a copy";
    EXPECT_EQ(HashFileContents(m_dir.path()), contents);
    EXPECT_EQ(ReadFile(m_link), std::string("L\0\0\0 a Windows shortcut", 24));
    EXPECT_THAT(Entries(m_dir.path()), ElementsAre("track05.mp3", "小雨.mp3.lnk"));
}

TEST_F(ShortcutTest, AFolderOfTheLinksNameStaysWithEverythingInIt) {
    ASSERT_EQ(mkdir(m_link.c_str(), 0755), 0);
    WriteFile(m_link + "/inside.mp3", "inside");
    const auto contents = HashFileContents(m_dir.path());
    const LeavingNames leaving(m_dir.path());

    EXPECT_FALSE(CreateShortcut(m_song, m_link));

    EXPECT_THAT(leaving.Read(), Not(Contains("小雨.mp3.lnk"))) << "not moved even for a moment";
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::symlink_status(m_link)));
    EXPECT_EQ(HashFileContents(m_dir.path()), contents);
    EXPECT_THAT(Entries(m_link), ElementsAre("inside.mp3"));
    EXPECT_THAT(Entries(m_dir.path()), ElementsAre("track05.mp3", "小雨.mp3.lnk"));
}

TEST_F(ShortcutTest, ALinkThatCannotBeWrittenLeavesNothingBehind) {
    const std::string locked = m_dir / "locked";
    ASSERT_EQ(mkdir(locked.c_str(), 0555), 0);

    EXPECT_FALSE(CreateShortcut(m_song, m_dir / "missing/小雨.mp3.lnk"));
    const int result = RunUnprivileged(
        m_dir.path(), [&] { return CreateShortcut(m_song, locked + "/小雨.mp3.lnk") ? 1 : 0; });

    EXPECT_EQ(result, 0);
    EXPECT_THAT(Entries(locked), IsEmpty());
    EXPECT_THAT(Entries(m_dir.path()), ElementsAre("locked", "track05.mp3"));
}

}  // namespace
