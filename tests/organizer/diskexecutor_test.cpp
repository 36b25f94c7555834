#include "organizer/diskexecutor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "organizer/dryrunexecutor.h"
#include "tests/support/journallines.h"
#include "tests/support/tempdir.h"
#include "tests/support/treesnapshot.h"
#include "tests/support/unprivileged.h"

namespace {

using ::testing::ElementsAre;

struct OutcomeCase {
    Change step;
    std::string shown;  // FormatStep of the outcome, with "D/" for the folder
    int error;
};

// The outcome as a line with the folder written "D/", and its errno.
std::string Shown(const Outcome& outcome, const std::string& folder) {
    std::string line = FormatStep(outcome.change);
    for (auto at = line.find(folder); at != std::string::npos; at = line.find(folder)) {
        line.replace(at, folder.size(), "D");
    }
    return line;
}

class DiskExecutorTest : public ::testing::Test {
protected:
    TempDir m_dir;
    DiskExecutor m_disk;

    void SetUp() override {
        std::ofstream(m_dir / "a.mp3") << "a";
        std::ofstream(m_dir / "taken.mp3") << "taken";
        std::ofstream(m_dir / "file.mp3.lnk") << "not a link";
        ASSERT_EQ(symlink("gone.mp3", (m_dir / "dead.mp3.lnk").c_str()), 0);
        ASSERT_EQ(symlink("taken.mp3", (m_dir / "live.mp3.lnk").c_str()), 0);
    }
};

TEST_F(DiskExecutorTest, EachStepSaysHowItCameOut) {
    const std::string d = m_dir.path() + "/";
    const OutcomeCase cases[] = {
        {Change::Rename(d + "a.mp3", d + "taken.mp3"), "keep\tD/a.mp3\tname taken", 0},
        {Change::Rename(d + "a.mp3", d + "b.mp3"), "rename\tD/a.mp3\tD/b.mp3", 0},
        {Change::Rename(d + "gone.mp3", d + "c.mp3"), "keep\tD/gone.mp3\tfailed", ENOENT},
        {Change::Link(d + "歌手/b.mp3.lnk", d + "b.mp3"), "link\tD/歌手/b.mp3.lnk\tD/b.mp3", 0},
        {Change::Link(d + "file.mp3.lnk", d + "b.mp3"), "keep\tD/b.mp3\tname taken", 0},
        {Change::Link(d + "x/y/b.mp3.lnk", d + "b.mp3"), "keep\tD/b.mp3\tfailed", ENOENT},
        {Change::Delete(d + "dead.mp3.lnk"), "delete\tD/dead.mp3.lnk", 0},
        {Change::Delete(d + "live.mp3.lnk"), "keep\tD/live.mp3.lnk\tchanged", 0},
        {Change::Keep(d + "b.mp3", Reason::NoTitle), "keep\tD/b.mp3\tno title", 0},
    };
    for (const OutcomeCase& c : cases) {
        const Outcome outcome = m_disk.Execute(c.step);
        EXPECT_EQ(Shown(outcome, m_dir.path()), c.shown) << FormatStep(c.step);
        EXPECT_EQ(outcome.error, c.error) << FormatStep(c.step);
    }
    EXPECT_EQ(std::filesystem::read_symlink(m_dir / "歌手/b.mp3.lnk"), d + "b.mp3");
    EXPECT_FALSE(std::filesystem::is_symlink(m_dir / "dead.mp3.lnk"));
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir / "live.mp3.lnk"));
}

TEST_F(DiskExecutorTest, AFolderClosedToChangesFailsItsSteps) {
    const std::string d = m_dir.path() + "/";
    std::filesystem::create_directory(m_dir / "locked");
    std::ofstream(m_dir / "locked/a.mp3") << "a";
    ASSERT_EQ(chmod((m_dir / "locked").c_str(), 0555), 0);
    const Change steps[] = {
        Change::Rename(d + "locked/a.mp3", d + "locked/b.mp3"),
        Change::Link(d + "locked/b.mp3.lnk", d + "a.mp3"),    // the link's folder
        Change::Link(d + "locked/x/b.mp3.lnk", d + "a.mp3"),  // the artist folder's parent
    };
    for (const Change& step : steps) {
        const int result = RunUnprivileged(m_dir.path(), [&] {
            const Outcome outcome = m_disk.Execute(step);
            return outcome.change.reason == Reason::FolderNotWritable ? outcome.error : -1;
        });
        EXPECT_EQ(result, EACCES) << FormatStep(step);
    }
}

std::string ReadLink(const std::string& path) {
    std::error_code error;
    return std::filesystem::read_symlink(path, error).string();
}

// Writes each change down as a journal line, after looking whether it is made already.
class CheckingRecorder : public ChangeRecorder {
public:
    std::vector<std::string> lines;
    int refuse = 0;  // the errno that every change is refused with, when not 0

    int Intend(const Change& change, std::size_t& number) override {
        if (refuse != 0) {
            return refuse;
        }
        number = lines.size() + 1;
        const bool made =
            change.kind == ChangeKind::Rename       ? !std::filesystem::exists(change.path)
            : change.kind == ChangeKind::MakeFolder ? std::filesystem::exists(change.path)
            : change.kind == ChangeKind::Delete     ? !std::filesystem::is_symlink(change.path)
                                                    : ReadLink(change.path) == change.other;
        lines.push_back(IntentLine(number, change) + (made ? "made too early" : ""));
        return 0;
    }
    void Settle(std::size_t number, bool made) override { lines.back() += MarkLine(number, made); }
};

TEST_F(DiskExecutorTest, WritesEachChangeDownBeforeMakingIt) {
    const std::string d = m_dir.path() + "/";
    CheckingRecorder recorder;
    DiskExecutor disk(&recorder);
    FileIdentity song;
    ASSERT_TRUE(IdentityOf(d + "a.mp3", song));

    disk.Execute(Change::Rename(d + "a.mp3", d + "b.mp3"));
    disk.Execute(Change::Rename(d + "x.mp3", d + "taken.mp3"));  // refused: nothing written
    disk.Execute(Change::Link(d + "歌手/b.mp3.lnk", d + "b.mp3"));
    disk.Execute(Change::Link(d + "live.mp3.lnk", d + "b.mp3"));
    disk.Execute(Change::Delete(d + "dead.mp3.lnk"));
    disk.Execute(Change::Rename(d + "taken.mp3", d + "b.mp3"));

    const std::string renamed = IntentLine(1, Change::Rename(d + "a.mp3", d + "b.mp3", song));
    EXPECT_THAT(recorder.lines,
                ElementsAre(renamed + "1\tdone\n", "2\tmkdir\t" + d + "歌手\n2\tdone\n",
                            "3\tlink\t" + d + "歌手/b.mp3.lnk\t" + d + "b.mp3\n3\tdone\n",
                            "4\tlink\t" + d + "live.mp3.lnk\t" + d + "b.mp3\ttaken.mp3\n4\tdone\n",
                            "5\tdelete\t" + d + "dead.mp3.lnk\tgone.mp3\n5\tdone\n",
                            testing::EndsWith("6\tkept\n")));
}

// A change that cannot be written down is not made: the run could not take it back.
TEST_F(DiskExecutorTest, AChangeThatCannotBeWrittenDownIsNotMade) {
    const std::string d = m_dir.path() + "/";
    CheckingRecorder recorder;
    recorder.refuse = ENOSPC;
    DiskExecutor disk(&recorder);
    const auto before = TreeSnapshot(m_dir.path());

    for (const Change& step :
         {Change::Rename(d + "a.mp3", d + "b.mp3"), Change::Link(d + "歌手/b.mp3.lnk", d + "a.mp3"),
          Change::Delete(d + "dead.mp3.lnk")}) {
        const Outcome outcome = disk.Execute(step);
        EXPECT_EQ(outcome.error, ENOSPC) << FormatStep(step);
        EXPECT_EQ(outcome.change.reason, Reason::Failed) << FormatStep(step);
    }
    EXPECT_EQ(TreeSnapshot(m_dir.path()), before);
}

TEST(RefusedStepTest, TellsATakenNameFromAFailure) {
    struct Case {
        int error;
        Reason reason;
        bool failed;
    };
    const Case cases[] = {
        {EEXIST, Reason::NameTaken, false},
        {EACCES, Reason::FolderNotWritable, true},
        {EPERM, Reason::FolderNotWritable, true},
        {EROFS, Reason::FolderNotWritable, true},
        {ENAMETOOLONG, Reason::NameTooLong, true},
        {EIO, Reason::Failed, true},
        {ENOSPC, Reason::Failed, true},
    };
    for (const Case& c : cases) {
        const Outcome outcome = RefusedStep("/m/a.mp3", c.error);
        EXPECT_EQ(outcome.change.kind, ChangeKind::Keep) << c.error;
        EXPECT_EQ(outcome.change.path, "/m/a.mp3") << c.error;
        EXPECT_EQ(outcome.change.reason, c.reason) << c.error;
        EXPECT_EQ(outcome.Failed(), c.failed) << c.error;
    }
}

}  // namespace
