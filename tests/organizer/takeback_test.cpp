#include "organizer/takeback.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "organizer/diskexecutor.h"
#include "organizer/dryrunexecutor.h"
#include "platform/shelllink.h"
#include "tests/support/fileio.h"
#include "tests/support/journallines.h"
#include "tests/support/recordinghost.h"
#include "tests/support/tempdir.h"
#include "tests/support/treesnapshot.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

// Writes the changes down in memory, as lines of a journal.
class MemoryRecorder : public ChangeRecorder {
public:
    std::vector<std::string> lines;
    int Intend(const Change& change, std::size_t& number) override {
        number = ++m_count;
        lines.push_back(IntentLine(number, change));
        return 0;
    }
    void Settle(std::size_t number, bool made) override { lines.push_back(MarkLine(number, made)); }

private:
    std::size_t m_count = 0;
};

FileIdentity Identity(const std::string& path) {
    FileIdentity identity;
    EXPECT_TRUE(IdentityOf(path, identity)) << path;
    return identity;
}

struct Scenario {
    const char* name;
    // Makes the state on disk in the folder D (ending with '/') and returns the change of the
    // run to take back.
    std::function<Change(const std::string& d)> setUp;
    const char* line;   // what taking it back comes to, D for the folder; "" when already back
    const char* after;  // the folder's snapshot afterwards, entries joined by ' '
};

std::string Joined(const std::vector<std::string>& entries) {
    std::string joined;
    for (const std::string& entry : entries) {
        joined += (joined.empty() ? "" : " ") + entry.substr(0, entry.find(" #"));
    }
    return joined;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

const Scenario kScenarios[] = {
    {"renamed",
     [](const std::string& d) {
         WriteFile(d + "b", "song");
         return Change::Rename(d + "a", d + "b", Identity(d + "b"));
     },
     "rename\tD/b\tD/a", "a"},
    {"rename not made",
     [](const std::string& d) {
         WriteFile(d + "a", "song");
         return Change::Rename(d + "a", d + "b", Identity(d + "a"));
     },
     "", "a"},
    {"another file at the new name",
     [](const std::string& d) {
         WriteFile(d + "b", "song");
         const FileIdentity song = Identity(d + "b");
         WriteFile(d + "c", "other");
         fs::rename(d + "c", d + "b");
         return Change::Rename(d + "a", d + "b", song);
     },
     "keep\tD/b\tmoved since", "b"},
    {"old name taken since",
     [](const std::string& d) {
         WriteFile(d + "b", "song");
         WriteFile(d + "a", "other");
         return Change::Rename(d + "a", d + "b", Identity(d + "b"));
     },
     "keep\tD/b\tname taken since", "a b"},
    {"rename cut short between link and unlink",
     [](const std::string& d) {
         WriteFile(d + "a", "song");
         fs::create_hard_link(d + "a", d + "b");
         return Change::Rename(d + "a", d + "b", Identity(d + "a"));
     },
     "rename\tD/b\tD/a", "a"},
    {"link made",
     [](const std::string& d) {
         fs::create_symlink(d + "t", d + "l");
         return Change::Link(d + "l", d + "t");
     },
     "delete\tD/l", ""},
    {"link not made", [](const std::string& d) { return Change::Link(d + "l", d + "t"); }, "", ""},
    {"link changed since",
     [](const std::string& d) {
         fs::create_symlink(d + "x", d + "l");
         return Change::Link(d + "l", d + "t");
     },
     "keep\tD/l\tchanged since", "l -> D/x"},
    {"link that replaced one",
     [](const std::string& d) {
         fs::create_symlink(d + "t", d + "l");
         return Change::Link(d + "l", d + "t", d + "r");
     },
     "link\tD/l\tD/r", "l -> D/r"},
    {"replacing link not made",
     [](const std::string& d) {
         fs::create_symlink(d + "r", d + "l");
         return Change::Link(d + "l", d + "t", d + "r");
     },
     "", "l -> D/r"},
    {"dead link deleted", [](const std::string& d) { return Change::Delete(d + "l", d + "gone"); },
     "link\tD/l\tD/gone", "l -> D/gone"},
    {"dead link's name taken since",
     [](const std::string& d) {
         WriteFile(d + "l", "a file");
         return Change::Delete(d + "l", d + "gone");
     },
     "keep\tD/l\tname taken since", "l"},
    {"folder made",
     [](const std::string& d) {
         fs::create_directory(d + "f");
         return Change::MakeFolder(d + "f");
     },
     "rmdir\tD/f", ""},
    {"folder made and filled since",
     [](const std::string& d) {
         fs::create_directory(d + "f");
         WriteFile(d + "f/mine", "x");
         return Change::MakeFolder(d + "f");
     },
     "keep\tD/f\tfolder not empty", "f/ f/mine"},
    {"folder removed by an undo",
     [](const std::string& d) { return Change::RemoveFolder(d + "f"); }, "mkdir\tD/f", "f/"},
    {"link cut short under its temporary name",
     [](const std::string& d) {
         fs::create_symlink(d + "t", TemporaryLinkPrefix(d, 77) + "0");
         fs::create_symlink(d + "t", TemporaryLinkPrefix(d, 78) + "0");  // another process's
         return Change::Link(d + "l", d + "t");
     },
     "", ".sortune-link-78-0 -> D/t"},
};

// A recorded identity that cannot tell the file apart (no birth time, no size and time of the
// last write: an older journal on a file system without birth times) is never taken for it.
TEST(TakeBackIdentityTest, AFileThatCannotBeToldApartIsChangedSince) {
    TempDir dir;
    const std::string d = dir.path() + "/";
    WriteFile(d + "b", "song");
    FileIdentity uncertain = Identity(d + "b");
    uncertain = {uncertain.device, uncertain.inode, 0};
    Journal journal;
    journal.header.folder = dir.path();
    journal.changes.push_back({Change::Rename(d + "a", d + "b", uncertain)});
    RecordingHost host;
    RunState state;
    DiskExecutor disk;
    std::vector<std::string> lines;
    TakeBack(host, state, disk, [&](const Change&, const Outcome& outcome) {
        lines.push_back(FormatStep(outcome.change));
    }).Run(journal);
    EXPECT_THAT(lines, ElementsAre("keep\t" + d + "b\tchanged since"));
    EXPECT_TRUE(fs::exists(d + "b"));
}

class TakeBackTest : public ::testing::Test {
protected:
    TempDir m_dir;
    RecordingHost m_host;
    RunState m_state;
    std::vector<std::string> m_lines;
    MemoryRecorder m_recorder;

    // Sets every scenario up in a folder of its own; one journal of a run holds them all.
    Journal SetUp(std::vector<std::string>& folders) {
        Journal journal;
        journal.header.pid = 77;
        journal.header.folder = m_dir.path();
        for (std::size_t i = 0; i < std::size(kScenarios); ++i) {
            folders.push_back(m_dir / std::to_string(i));
            fs::create_directory(folders.back());
            journal.changes.push_back({kScenarios[i].setUp(folders.back() + "/")});
        }
        return journal;
    }
    // Takes the journal back on disk with `recorder`, or, without one, in a preview.
    TakeBackReport Run(const Journal& journal, ChangeRecorder* recorder) {
        DiskExecutor disk(recorder);
        DryRunExecutor preview;
        ChangeExecutor& executor =
            recorder != nullptr ? static_cast<ChangeExecutor&>(disk) : preview;
        TakeBack takeBack(m_host, m_state, executor, [this](const Change&, const Outcome& outcome) {
            m_lines.push_back(
                outcome.change.reason == Reason::AlreadyBack ? "" : FormatStep(outcome.change));
        });
        return takeBack.Run(journal);
    }
};

TEST_F(TakeBackTest, ChecksEveryChangeOnDiskAndNeverReplacesAnything) {
    std::vector<std::string> folders;
    const Journal journal = SetUp(folders);

    const TakeBackReport report = Run(journal, &m_recorder);

    ASSERT_EQ(m_lines.size(), std::size(kScenarios));
    for (std::size_t i = 0; i < std::size(kScenarios); ++i) {
        const Scenario& s = kScenarios[i];
        const std::size_t line = std::size(kScenarios) - 1 - i;  // newest first
        EXPECT_EQ(Replaced(m_lines[line], folders[i], "D"), s.line) << s.name;
        EXPECT_EQ(Replaced(Joined(TreeSnapshot(folders[i])), folders[i], "D"), s.after) << s.name;
    }
    EXPECT_EQ(report.changed, 7);
    EXPECT_EQ(report.alreadyBack, 4);
    EXPECT_EQ(report.skipped, 5);
    // Each change made was written down before, and marked after; the folder found not empty
    // was tried too.
    EXPECT_EQ(m_recorder.lines.size(), 2u * 8);
    EXPECT_EQ(m_recorder.lines[1], MarkLine(1, true));
}

TEST_F(TakeBackTest, APreviewChangesNothing) {
    std::vector<std::string> folders;
    const Journal journal = SetUp(folders);
    const auto before = TreeSnapshot(m_dir.path());

    const TakeBackReport report = Run(journal, nullptr);

    EXPECT_EQ(TreeSnapshot(m_dir.path()), before);
    EXPECT_EQ(report.changed, 8);  // the filled folder shows as it would be tried
    EXPECT_EQ(report.skipped, 4);
}

TEST_F(TakeBackTest, AStopEndsTheRunBetweenTwoChanges) {
    std::vector<std::string> folders;
    const Journal journal = SetUp(folders);
    m_host.onPump = [this](int pump) {
        if (pump == 2) {
            m_state.m_bRunning = 0;
        }
    };

    const TakeBackReport report = Run(journal, &m_recorder);

    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(m_lines.size(), 1u);
    EXPECT_EQ(m_state.m_bRunning, 0);
    EXPECT_THAT(m_host.events, testing::Contains("busy 0 1"));
}

}  // namespace
