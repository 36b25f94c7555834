#include "platform/fileentry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/userfolders.h"
#include "tests/support/fileio.h"
#include "tests/support/scopedvariable.h"
#include "tests/support/tempdir.h"

namespace {

TEST(FileIdentityTest, FollowsAFileUnderANewNameAndTellsANewFileApart) {
    TempDir dir;
    WriteFile(dir / "a", "song");
    FileIdentity before;
    ASSERT_TRUE(IdentityOf(dir / "a", before));
    std::filesystem::rename(dir / "a", dir / "b");
    FileIdentity renamed;
    ASSERT_TRUE(IdentityOf(dir / "b", renamed));
    EXPECT_EQ(renamed, before);

    // The file system may give the deleted file's inode to the next one at once. Birth times
    // come from a coarse clock (a few milliseconds), and a replacement is not made that fast
    // by hand.
    std::filesystem::remove(dir / "b");
    usleep(20'000);
    WriteFile(dir / "b", "another song");
    FileIdentity other;
    ASSERT_TRUE(IdentityOf(dir / "b", other));
    if (other.inode == before.inode && before.birth == 0) {
        GTEST_SKIP() << "this file system keeps no birth time";
    }
    EXPECT_NE(other, before);
    EXPECT_FALSE(IdentityOf(dir / "a", other));
}

// Without birth times an inode given out again names another file: what a rename keeps tells
// them apart, and where nothing does, the file is never taken for the recorded one.
TEST(FileIdentityTest, ComparesByBirthElseBySizeAndLastWrite) {
    const FileIdentity born{1, 2, 100, 5, 7};
    const FileIdentity unborn{1, 2, 0, 5, 7};
    const FileIdentity unknown{1, 2, 0};  // an older journal's, without size and time
    struct Case {
        FileIdentity recorded;
        FileIdentity found;
        Sameness expected;
    };
    const Case cases[] = {
        {born, born, Sameness::Same},
        {born, {1, 2, 101, 5, 7}, Sameness::Other},  // born again: another file
        {born, {1, 3, 100, 5, 7}, Sameness::Other},
        {born, {1, 2, 100, 6, 8}, Sameness::Same},  // written since: still the file
        {unborn, unborn, Sameness::Same},
        {unborn, {1, 2, 0, 5, 8}, Sameness::Other},  // the reused inode of a new file
        {unborn, {1, 2, 0, 4, 7}, Sameness::Other},
        {unknown, unborn, Sameness::Uncertain},
        {unknown, {2, 2, 0, 5, 7}, Sameness::Other},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompareIdentity(c.recorded, c.found), c.expected)
            << c.recorded.birth << " " << c.found.birth << " " << c.found.size;
    }
}

TEST(XdgStateHomeTest, ComesFromTheVariableWhenAbsoluteElseFromHome) {
    const char* oldState = std::getenv("XDG_STATE_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string savedState = oldState != nullptr ? oldState : "";
    const std::string savedHome = oldHome != nullptr ? oldHome : "";
    const std::pair<const char*, const char*> cases[] = {
        {"/var/state", "/var/state"},
        {"relative/state", "/home/u/.local/state"},
        {"", "/home/u/.local/state"},
    };
    setenv("HOME", "/home/u", 1);
    for (const auto& [variable, folder] : cases) {
        setenv("XDG_STATE_HOME", variable, 1);
        EXPECT_EQ(XdgStateHome(), folder) << variable;
    }
    oldState != nullptr ? setenv("XDG_STATE_HOME", savedState.c_str(), 1)
                        : unsetenv("XDG_STATE_HOME");
    oldHome != nullptr ? setenv("HOME", savedHome.c_str(), 1) : unsetenv("HOME");
}

TEST(UserMusicFolderTest, ReadsTheUserDirsFileAndFallsBackToHome) {
    const TempDir home;
    std::filesystem::create_directories(home / "音乐");
    std::filesystem::create_directories(home / "my \"songs\"");
    const ScopedVariable homeVariable("HOME", home.path());
    const ScopedVariable config("XDG_CONFIG_HOME", home / "config");
    std::filesystem::create_directories(home / "config");
    struct Case {
        std::optional<std::string> dirs;  // the file's text; none for no file
        std::string music;
    };
    const Case cases[] = {
        {std::nullopt, home.path()},
        {"# XDG_MUSIC_DIR=\"$HOME/音乐\"\n", home.path()},
        {"XDG_MUSIC_DIR=\"" + (home / "音乐") + "\"\n", home / "音乐"},
        {"XDG_MUSIC_DIR=\"$HOME/my \\\"songs\\\"\"\n", home / "my \"songs\""},
        {"XDG_MUSIC_DIR=\"$HOME/Music\"\n", home.path()},  // not made
        {"XDG_MUSIC_DIR=$HOME/音乐\n", home.path()},       // not quoted: not the file's form
        {"XDG_MUSIC_DIR=\"音乐\"\n", home.path()},         // relative
        {"XDG_MUSIC_DIR=\"$HOME/Music\"\nXDG_MUSIC_DIR=\"$HOME/音乐\"\n", home / "音乐"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(home / "config/user-dirs.dirs");
        if (c.dirs) {
            WriteFile(home / "config/user-dirs.dirs", *c.dirs);
        }
        EXPECT_EQ(UserMusicFolder(), c.music) << c.dirs.value_or("no file");
    }
}

}  // namespace
