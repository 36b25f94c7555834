#include "platform/absolutepath.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>

#include "tests/support/tempdir.h"

namespace {

// Runs in a folder of its own and returns to the previous one afterwards.
class AbsolutePathTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(m_previous, sizeof m_previous), nullptr);
        ASSERT_EQ(chdir(m_dir.path().c_str()), 0);
    }
    void TearDown() override { ASSERT_EQ(chdir(m_previous), 0); }

    TempDir m_dir;
    char m_previous[PATH_MAX] = {};
};

TEST_F(AbsolutePathTest, JoinsRelativePathsToTheCurrentFolderAsText) {
    EXPECT_EQ(AbsolutePath("/music/pop"), "/music/pop");
    EXPECT_EQ(AbsolutePath("music/pop"), m_dir / "music/pop");
    EXPECT_EQ(AbsolutePath(""), m_dir.path());
    EXPECT_EQ(AbsolutePath("."), m_dir.path());
    // Nothing is resolved: a link keeps its own name.
    ASSERT_EQ(symlink("/usr", (m_dir / "link").c_str()), 0);
    EXPECT_EQ(AbsolutePath("link/x"), m_dir / "link/x");
}

TEST_F(AbsolutePathTest, GivesNothingWhenTheCurrentFolderIsGone) {
    ASSERT_EQ(mkdir((m_dir / "gone").c_str(), 0700), 0);
    ASSERT_EQ(chdir((m_dir / "gone").c_str()), 0);
    ASSERT_EQ(rmdir((m_dir / "gone").c_str()), 0);
    EXPECT_EQ(AbsolutePath("a.mp3"), "");
    EXPECT_EQ(AbsolutePath("/music"), "/music");
}

}  // namespace

namespace {

TEST(TidyPathTest, DropsDotsRepeatedAndTrailingSlashes) {
    const std::pair<const char*, const char*> cases[] = {
        {"/m/pop", "/m/pop"},
        {"/m/./pop//", "/m/pop"},
        {"/m/pop/.", "/m/pop"},
        {"/.", "/"},
        {"/", "/"},
        {"//", "/"},
        {"/m/../pop", "/m/../pop"},  // ".." stays: a link before it decides where it leads
        {"a/./b", "a/b"},
        {"./a", "a"},
        {".", "."},
        {"", ""},
    };
    for (const auto& [path, tidy] : cases) {
        EXPECT_EQ(TidyPath(path), tidy) << path;
    }
}

TEST(PathPartsTest, SplitAtTheLastSlash) {
    const struct {
        const char* path;
        const char* parent;
        const char* withSlash;
        const char* name;
    } cases[] = {
        {"/m/pop/a.mp3", "/m/pop", "/m/pop/", "a.mp3"},
        {"/a.mp3", "/", "/", "a.mp3"},
        {"a.mp3", "", "", "a.mp3"},
        {"m/a.mp3", "m", "m/", "a.mp3"},
        {"/音乐/小雨.mp3", "/音乐", "/音乐/", "小雨.mp3"},
        {"/m/", "/m", "/m/", ""},
        {"//a", "/", "//", "a"},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParentFolder(c.path), c.parent) << c.path;
        EXPECT_EQ(FolderPartWithSlash(c.path), c.withSlash) << c.path;
        EXPECT_EQ(FileNamePart(c.path), c.name) << c.path;
    }
}

}  // namespace
