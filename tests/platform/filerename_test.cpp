#include "platform/filerename.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/filerename_p.h"
#include "tests/support/fileio.h"
#include "tests/support/tempdir.h"

namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

using MoveFunction = bool (*)(const std::string&, const std::string&);

// Every way of moving must keep both files whole when the new name is taken.
class RenameNeverReplaces : public ::testing::TestWithParam<MoveFunction> {
protected:
    TempDir dir;
};

TEST_P(RenameNeverReplaces, MovesToAFreeName) {
    WriteFile(dir / "a.mp3", "song");
    ASSERT_TRUE(GetParam()(dir / "a.mp3", dir / "小雨.mp3"));
    EXPECT_FALSE(Exists(dir / "a.mp3"));
    EXPECT_EQ(ReadFile(dir / "小雨.mp3"), "song");
}

TEST_P(RenameNeverReplaces, RefusesATakenName) {
    WriteFile(dir / "a.mp3", "one");
    WriteFile(dir / "b.mp3", "two");
    errno = 0;
    EXPECT_FALSE(GetParam()(dir / "a.mp3", dir / "b.mp3"));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(ReadFile(dir / "a.mp3"), "one");
    EXPECT_EQ(ReadFile(dir / "b.mp3"), "two");
}

TEST_P(RenameNeverReplaces, RefusesANameHeldByALinkOrAFolder) {
    WriteFile(dir / "a.mp3", "one");
    ASSERT_EQ(symlink("gone", (dir / "dead.mp3").c_str()), 0);
    ASSERT_EQ(mkdir((dir / "folder.mp3").c_str(), 0700), 0);
    EXPECT_FALSE(GetParam()(dir / "a.mp3", dir / "dead.mp3"));
    EXPECT_FALSE(GetParam()(dir / "a.mp3", dir / "folder.mp3"));
    EXPECT_EQ(ReadFile(dir / "a.mp3"), "one");
    char target[16] = {};
    EXPECT_EQ(readlink((dir / "dead.mp3").c_str(), target, sizeof target - 1), 4);
}

TEST_P(RenameNeverReplaces, FailsForAMissingSource) {
    EXPECT_FALSE(GetParam()(dir / "missing.mp3", dir / "b.mp3"));
    EXPECT_FALSE(Exists(dir / "b.mp3"));
}

std::string MoveName(const ::testing::TestParamInfo<MoveFunction>& info) {
    static const char* const kNames[] = {"MoveFile", "MoveByLink", "MoveAfterCheck"};
    return kNames[info.index];
}

INSTANTIATE_TEST_SUITE_P(AllPaths, RenameNeverReplaces,
                         ::testing::Values(&MoveFile, &rename_detail::MoveByLink,
                                           &rename_detail::MoveAfterCheck),
                         MoveName);

// Another process creates the new name while the rename runs: whoever wins, both files stay.
void RaceTargetAppearing(MoveFunction move) {
    TempDir dir;
    for (int round = 0; round < 300; ++round) {
        const std::string from = dir / ("from" + std::to_string(round));
        const std::string to = dir / ("to" + std::to_string(round));
        WriteFile(from, "moved");
        std::atomic<bool> go{false};
        std::thread rival([&] {
            while (!go) {
            }
            const int fd = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
            if (fd >= 0) {
                EXPECT_EQ(write(fd, "rival", 5), 5);
                close(fd);
            }
        });
        go = true;
        const bool moved = move(from, to);
        rival.join();
        if (moved) {
            EXPECT_EQ(ReadFile(to), "moved");
        } else {
            EXPECT_EQ(ReadFile(from), "moved");
            EXPECT_EQ(ReadFile(to), "rival");
        }
    }
}

TEST(RenameRace, TargetAppearingIsNeverOverwritten) {
    RaceTargetAppearing(&MoveFile);
    RaceTargetAppearing(&rename_detail::MoveByLink);
}

class RenameCase : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(RenameCase, CaseOnlyChangeWorksWhereTheNewNameIsFree) {
    WriteFile(dir / "SONG.MP3", "song");
    ASSERT_TRUE(MoveFile(dir / "SONG.MP3", dir / "Song.mp3"));
    EXPECT_EQ(ReadFile(dir / "Song.mp3"), "song");
    EXPECT_FALSE(Exists(dir / "SONG.MP3"));
}

TEST_F(RenameCase, TwoFilesDifferingInCaseAreBothKept) {
    WriteFile(dir / "SONG.MP3", "upper");
    WriteFile(dir / "Song.mp3", "mixed");
    EXPECT_FALSE(MoveFile(dir / "SONG.MP3", dir / "Song.mp3"));
    EXPECT_EQ(ReadFile(dir / "SONG.MP3"), "upper");
    EXPECT_EQ(ReadFile(dir / "Song.mp3"), "mixed");
}

TEST_F(RenameCase, NewNameFindingTheSameFileIsACaseChange) {
    // A case-insensitive mount finds the file itself under the new spelling; a second hard
    // link gives the same answer on any file system.
    WriteFile(dir / "SONG.MP3", "song");
    ASSERT_EQ(link((dir / "SONG.MP3").c_str(), (dir / "Song.mp3").c_str()), 0);
    EXPECT_TRUE(MoveFile(dir / "SONG.MP3", dir / "Song.mp3"));
    EXPECT_EQ(ReadFile(dir / "Song.mp3"), "song");
    // The same holds where neither RENAME_NOREPLACE nor hard links exist.
    EXPECT_TRUE(rename_detail::MoveAfterCheck(dir / "SONG.MP3", dir / "Song.mp3"));
    EXPECT_EQ(ReadFile(dir / "Song.mp3"), "song");
}

TEST_F(RenameCase, AnotherFileUnderAnotherNameIsNotACaseChange) {
    WriteFile(dir / "a.mp3", "a");
    ASSERT_EQ(link((dir / "a.mp3").c_str(), (dir / "b.mp3").c_str()), 0);
    EXPECT_FALSE(MoveFile(dir / "a.mp3", dir / "b.mp3"));
    EXPECT_TRUE(Exists(dir / "a.mp3"));
}

TEST_F(RenameCase, NamesWithAnyBytesMove) {
    const std::string odd = "a \"q\" $HOME\nnew\xB0\xA1.mp3";
    WriteFile(dir / "x.mp3", "x");
    ASSERT_TRUE(MoveFile(dir / "x.mp3", dir / odd));
    EXPECT_EQ(ReadFile(dir / odd), "x");
}

}  // namespace
