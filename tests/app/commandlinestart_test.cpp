#include "app/commandlinestart.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <fstream>

#include "tests/support/tempdir.h"
#include "tests/support/unprivileged.h"

namespace {

// Runs in a folder holding "music/pop/a.mp3" and returns to the previous folder afterwards.
class StartFolderOfTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(m_previous, sizeof m_previous), nullptr);
        ASSERT_EQ(chdir(m_dir.path().c_str()), 0);
        ASSERT_EQ(mkdir("music", 0755), 0);
        ASSERT_EQ(mkdir("music/pop", 0755), 0);
        std::ofstream("music/pop/a.mp3") << "a";
        ASSERT_EQ(symlink("music/pop", "link"), 0);
    }
    void TearDown() override { ASSERT_EQ(chdir(m_previous), 0); }

    TempDir m_dir;
    char m_previous[PATH_MAX] = {};
};

TEST_F(StartFolderOfTest, AFolderIsOrganizedItselfAFileByItsFolder) {
    const std::string d = m_dir.path();
    struct Case {
        std::string path;
        std::string folder;
    };
    const Case cases[] = {
        {d + "/music/pop/a.mp3", d + "/music/pop"},
        {d + "/music/pop", d + "/music/pop"},  // not its parent
        {d + "/music/pop/", d + "/music/pop"},
        {d + "/music/pop/.", d + "/music/pop"},
        {d + "/music//pop/./a.mp3", d + "/music/pop"},
        {"music/pop/a.mp3", d + "/music/pop"},  // short relative paths are fine
        {"music/.", d + "/music"},
        {"./music", d + "/music"},
        {".", d},
        {"link", d + "/link"},  // a link to a folder keeps its own name
        {"link/a.mp3", d + "/link"},
        {"/", "/"},  // the caller refuses it
    };
    for (const Case& c : cases) {
        std::string folder;
        EXPECT_EQ(StartFolderOf(c.path, folder), 0) << c.path;
        EXPECT_EQ(folder, c.folder) << c.path;
    }
}

TEST_F(StartFolderOfTest, APathLeadingNowhereSaysWhy) {
    struct Case {
        std::string path;
        int error;
    };
    const Case cases[] = {
        {"music/none", ENOENT},
        {"none/a.mp3", ENOENT},
        {"music/pop/a.mp3/x", ENOTDIR},
        {"", ENOENT},
    };
    for (const Case& c : cases) {
        std::string folder;
        EXPECT_EQ(StartFolderOf(c.path, folder), c.error) << c.path;
    }
}

TEST_F(StartFolderOfTest, AFolderThatCannotBeListedIsRefused) {
    ASSERT_EQ(chmod("music/pop", 0300), 0);  // can be searched, not read
    const std::string pop = m_dir / "music/pop";
    const int result = RunUnprivileged(m_dir.path(), [&] {
        std::string folder;
        const int ofFolder = StartFolderOf(pop, folder);
        const int ofFile = StartFolderOf(pop + "/a.mp3", folder);
        return ofFolder == EACCES && ofFile == EACCES ? 0 : 1;
    });
    EXPECT_EQ(result, 0);
}

}  // namespace
