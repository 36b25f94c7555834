#include "platform/fileentry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/userfolders.h"
#include "tests/support/fileio.h"
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

}  // namespace
