#include "platform/filefind.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "tests/support/tempdir.h"

namespace {

class FileFindTest : public ::testing::Test {
protected:
    void Touch(const std::string& name) { std::ofstream(dir / name) << "x"; }

    // Every entry the finder reports, with whether it counts as a folder.
    std::map<std::string, bool> List(const std::string& pattern) {
        std::map<std::string, bool> entries;
        FileFind finder;
        bool more = finder.FindFile(pattern);
        while (more) {
            more = finder.FindNextFile();
            entries[finder.GetFileName()] = finder.MatchesMask(FileFind::FILE_ATTRIBUTE_DIRECTORY);
            EXPECT_EQ(finder.GetFilePath(), dir / finder.GetFileName());
            EXPECT_EQ(finder.IsDots(), finder.GetFileName() == "." || finder.GetFileName() == "..");
        }
        return entries;
    }

    TempDir dir;
};

TEST_F(FileFindTest, ListsEveryEntryIncludingTheLastOne) {
    Touch("a.mp3");
    Touch("b.wma");
    ASSERT_EQ(mkdir((dir / "sub").c_str(), 0700), 0);
    const std::map<std::string, bool> expected{
        {".", true}, {"..", true}, {"a.mp3", false}, {"b.wma", false}, {"sub", true}};
    EXPECT_EQ(List(dir / "*.*"), expected);
    EXPECT_EQ(List(dir / "*"), expected);
}

TEST_F(FileFindTest, LinksToFoldersAreNotFolders) {
    ASSERT_EQ(mkdir((dir / "real").c_str(), 0700), 0);
    ASSERT_EQ(symlink(dir.path().c_str(), (dir / "loop").c_str()), 0);
    ASSERT_EQ(symlink("real", (dir / "alias").c_str()), 0);
    const auto entries = List(dir / "*.*");
    EXPECT_TRUE(entries.at("real"));
    EXPECT_FALSE(entries.at("loop"));
    EXPECT_FALSE(entries.at("alias"));
}

TEST_F(FileFindTest, AnExactPathFindsThatEntryWhenItExists) {
    Touch("song.mp3");
    ASSERT_EQ(symlink("song.mp3", (dir / "live.lnk").c_str()), 0);
    ASSERT_EQ(symlink("gone.mp3", (dir / "dead.lnk").c_str()), 0);

    FileFind finder;
    ASSERT_TRUE(finder.FindFile(dir / "song.mp3"));
    EXPECT_FALSE(finder.FindNextFile());
    EXPECT_EQ(finder.GetFilePath(), dir / "song.mp3");
    EXPECT_TRUE(finder.FindFile(dir.path()));
    EXPECT_TRUE(finder.FindFile(dir / "live.lnk"));
    EXPECT_FALSE(finder.FindFile(dir / "dead.lnk"));
    EXPECT_FALSE(finder.FindFile(dir / "missing.mp3"));
}

TEST_F(FileFindTest, MissingOrUnreadableFoldersFindNothing) {
    FileFind finder;
    EXPECT_FALSE(finder.FindFile(dir / "missing/*.*"));
    Touch("file");
    EXPECT_FALSE(finder.FindFile(dir / "file/*.*"));
}

TEST_F(FileFindTest, RelativeFoldersAreMadeAbsolute) {
    Touch("a.mp3");
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    FileFind finder;
    ASSERT_TRUE(finder.FindFile("a.mp3"));
    finder.FindNextFile();
    EXPECT_EQ(finder.GetFilePath(), dir / "a.mp3");
    ASSERT_EQ(chdir(previous), 0);
}

TEST(FileFindRoot, TheRootFolderHasNoDoubledSeparator) {
    FileFind finder;
    ASSERT_TRUE(finder.FindFile("/*.*"));
    bool more = true;
    while (more) {
        more = finder.FindNextFile();
        if (finder.GetFileName() == "proc") {
            EXPECT_EQ(finder.GetFilePath(), "/proc");
        }
    }
}

}  // namespace
