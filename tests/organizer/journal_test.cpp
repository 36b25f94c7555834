#include "organizer/journal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "organizer/journalstore.h"
#include "platform/folders.h"
#include "tests/support/fileio.h"
#include "tests/support/journallines.h"
#include "tests/support/tempdir.h"

namespace {

using ::testing::ElementsAre;

std::string Shown(const JournalEntry& e) {
    return IntentLine(1, e.change) + "state " + std::to_string(static_cast<int>(e.state));
}

const Change kChanges[] = {
    Change::Rename("/m/a.mp3", "/m/小雨.mp3", {2049, 1234567, 1796661033347242276}),
    Change::Link("/m/甲/小雨.mp3.lnk", "/m/a.mp3"),
    Change::Link("/m/甲/b.mp3.lnk", "/m/b.mp3", "/old/b.mp3"),
    Change::Delete("/m/dead.mp3.lnk", "/m/gone.mp3"),
    Change::MakeFolder("/m/甲"),
    Change::RemoveFolder("/m/乙"),
    // Names holding what would break a line or a field.
    Change::Rename("/m/a\tb\nc\\d\r.mp3", "/m/\\t.mp3", {1, 2, 0}),
    // Spans of any bytes, and none.
    Change::Retag("/m/c\t.mp3", {TagEdit{1070,
                                         4294967295u,
                                         2048,
                                         7,
                                         {{0, std::string("ID3\x03\0\0\t\n\xFF", 9)}},
                                         {{0, std::string("\x00\x01", 2)}, {27, "TIT2"}}},
                                 {}}),
    Change::Retag("/m/d.mp3", {TagEdit{0, 0, 1034, 12345, {}, {{0, "ID3"}}}, {}}),
    // An edit of the file's last bytes.
    Change::Retag("/m/end",
                  {TagEdit{40, 1, 42, 2, {{8, "ab"}}, {{8, "abcd"}}, TagRegion::Tail}, {}}),
};

std::string Text(const JournalHeader& header, std::size_t count, bool complete) {
    std::string text = FormatHeader(header);
    for (std::size_t i = 0; i < count; ++i) {
        text += IntentLine(i + 1, kChanges[i]);
        text += i % 3 == 2 ? "" : MarkLine(i + 1, i % 3 == 0);  // done, kept, unmarked
    }
    return text + (complete ? FormatEnd() : "");
}

TEST(JournalTest, ReadsBackWhatWasWritten) {
    JournalHeader header;
    header.kind = JournalKind::Undo;
    header.started = "2026-12-07 16:10:25 +0800";
    header.folder = "/m/with\ttab";
    header.options = "recursive by-artist";
    header.version = "1.2.3";
    header.pid = 4242;
    header.takesBack = "20261207T161025.000001-4241.journal";
    const std::size_t count = std::size(kChanges);

    Journal journal;
    ASSERT_TRUE(ParseJournal(Text(header, count, true), journal));

    EXPECT_TRUE(journal.complete);
    EXPECT_EQ(journal.header.kind, JournalKind::Undo);
    EXPECT_EQ(journal.header.folder, header.folder);
    EXPECT_EQ(journal.header.started, header.started);
    EXPECT_EQ(journal.header.options, header.options);
    EXPECT_EQ(journal.header.pid, 4242);
    EXPECT_EQ(journal.header.takesBack, header.takesBack);
    ASSERT_EQ(journal.changes.size(), count);
    const ChangeState states[] = {ChangeState::Done, ChangeState::Kept, ChangeState::Intended};
    for (std::size_t i = 0; i < count; ++i) {
        const JournalEntry expected{kChanges[i], states[i % 3]};
        EXPECT_EQ(Shown(journal.changes[i]), Shown(expected)) << i;
        EXPECT_EQ(journal.changes[i].change.path, kChanges[i].path) << i;
        EXPECT_EQ(journal.changes[i].change.other, kChanges[i].other) << i;
        EXPECT_EQ(journal.changes[i].change.replaced, kChanges[i].replaced) << i;
        EXPECT_EQ(journal.changes[i].change.identity, kChanges[i].identity) << i;
        if (kChanges[i].rewrite != nullptr) {
            ASSERT_NE(journal.changes[i].change.rewrite, nullptr) << i;
            EXPECT_EQ(journal.changes[i].change.rewrite->edit, kChanges[i].rewrite->edit) << i;
        }
    }
}

// A crash can cut the file anywhere: every cut reads as the changes written whole before it.
TEST(JournalTest, AFileCutAnywhereReadsAsItsWholeLines) {
    const std::string text = Text({}, std::size(kChanges), true);
    for (std::size_t cut = 0; cut < text.size(); ++cut) {
        Journal journal;
        const bool parsed = ParseJournal(text.substr(0, cut), journal);
        const std::string whole = text.substr(0, text.rfind('\n', cut == 0 ? 0 : cut - 1) + 1);
        EXPECT_FALSE(journal.complete) << cut;
        if (!parsed) {
            EXPECT_EQ(whole.find("\nchanges\n"), std::string::npos) << cut;
            continue;
        }
        std::size_t intents = 0;
        for (std::size_t i = 0; i < std::size(kChanges); ++i) {
            intents += whole.find(IntentLine(i + 1, kChanges[i])) != std::string::npos ? 1 : 0;
        }
        EXPECT_EQ(journal.changes.size(), intents) << cut;
    }
}

TEST(JournalTest, RefusesWhatIsNoJournal) {
    const std::string good = Text({}, 2, true);
    for (const std::string& text :
         {std::string(), std::string("hello\n"), "sortune journal 2\n" + good.substr(18),
          good.substr(0, good.find("changes\n")),
          std::string("sortune journal 1\nunknown\tx\nchanges\n")}) {
        Journal journal;
        EXPECT_FALSE(ParseJournal(text, journal)) << text;
    }
}

// A journal is taken whole or not at all: a line the program does not write there (out of
// order, not understood, a mark forged or repeated, anything after the end) marks it damaged.
TEST(JournalTest, ALineThatIsNotWrittenSoDamagesTheJournal) {
    const std::string head = FormatHeader({}) + "1\tmkdir\t/a\n";
    const std::pair<std::string, std::size_t> cases[] = {
        {"1\tdone\n2\tmkdir\t/b\n2\tkept\nend\n", 0},
        {"1\tdone\n2\tmkdir\t/b\nend\n", 0},  // a change whose mark never went out
        {"2\tmkdir\t/b\n1\tdone\n", 11},      // a mark after the next change
        {"1\tdone\n1\tkept\n", 11},           // a second mark
        {"3\tmkdir\t/b\n", 10},               // a change out of order
        {"1\tjump\t/a\n", 10},
        {"x\tdone\n", 10},
        {"1\tdone\nend\n2\tmkdir\t/b\n", 12},  // after the end
        {"1\tdone\n2\tmkdir\t/b", 0},          // a last line cut short
        // Tag rewrites whose edit is not what the program writes.
        {"1\tdone\n2\tretag\t10\t1\t10\t2\t0:0g\t-\t/b\n", 11},
        {"1\tdone\n2\tretag\t10\t1\t10\t2\t5:00,1:00\t-\t/b\n", 11},    // spans out of order
        {"1\tdone\n2\tretag\t10\t1\t10\t-\t-\t/b\n", 11},               // a field missing
        {"1\tdone\n2\tretag\t10\t1\t10\t99999999999\t-\t-\t/b\n", 11},  // CRC beyond 32 bits
    };
    for (const auto& [body, damaged] : cases) {
        Journal journal;
        ASSERT_TRUE(ParseJournal(head + body, journal)) << body;
        EXPECT_EQ(journal.damagedLine, damaged) << body;
    }
}

// Writes a journal of `kind` taking back `takesBack`, with one change, complete or not.
std::string Write(JournalStore& store, JournalKind kind, const std::string& takesBack = "",
                  bool complete = true) {
    JournalWriter writer([] { return 0u; });
    JournalHeader header;
    header.kind = kind;
    header.takesBack = takesBack;
    EXPECT_EQ(store.Begin(header, writer), 0);
    std::size_t number = 0;
    EXPECT_EQ(writer.Intend(kChanges[4], number), 0);
    writer.Settle(number, true);
    EXPECT_EQ(writer.Finish(complete), 0);
    return std::filesystem::path(writer.Path()).filename().string();
}

class JournalStoreTest : public ::testing::Test {
protected:
    TempDir m_dir;
    JournalStore m_store{m_dir / "state/sortune/runs"};

    std::string UndoTarget() const {
        const auto journals = m_store.Load();
        const Journal* target = LatestToUndo(journals);
        return target != nullptr ? target->name : "-";
    }
    std::string RedoTarget() const {
        const auto journals = m_store.Load();
        const Journal* target = LatestToRedo(journals);
        return target != nullptr ? target->name : "-";
    }
};

TEST_F(JournalStoreTest, UndoAndRedoFindTheJournalsNotYetTakenBack) {
    EXPECT_EQ(UndoTarget(), "-");
    const std::string r1 = Write(m_store, JournalKind::Run);
    const std::string r2 = Write(m_store, JournalKind::Run);
    EXPECT_EQ(UndoTarget(), r2);
    EXPECT_EQ(RedoTarget(), "-");

    Write(m_store, JournalKind::Undo, r2, false);  // cut short: r2 is not taken back yet
    EXPECT_EQ(UndoTarget(), r2);
    EXPECT_EQ(RedoTarget(), "-");
    const std::string u2 = Write(m_store, JournalKind::Undo, r2);
    EXPECT_EQ(UndoTarget(), r1);
    EXPECT_EQ(RedoTarget(), u2);
    const std::string u1 = Write(m_store, JournalKind::Undo, r1);
    EXPECT_EQ(UndoTarget(), "-");
    EXPECT_EQ(RedoTarget(), u1);

    const std::string d1 = Write(m_store, JournalKind::Redo, u1);
    EXPECT_EQ(UndoTarget(), d1) << "a redo is undone like a run";
    EXPECT_EQ(RedoTarget(), u2);
    Write(m_store, JournalKind::Run);
    EXPECT_EQ(RedoTarget(), "-") << "a new run ends what can be redone";

    const auto journals = m_store.Load();
    EXPECT_EQ(journals.size(), 7u);
    EXPECT_THAT(std::vector<bool>(
                    {WasTakenBack(journals, journals[0]), WasTakenBack(journals, journals[1]),
                     WasTakenBack(journals, journals[3]), WasTakenBack(journals, journals[4])}),
                ElementsAre(true, true, false, true));
}

TEST_F(JournalStoreTest, KeepsTheNewestFiftyPrivateJournals) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < JournalStore::kKeep + 3; ++i) {
        names.push_back(Write(m_store, JournalKind::Run));
    }
    const auto journals = m_store.Load();
    ASSERT_EQ(journals.size(), JournalStore::kKeep);
    EXPECT_EQ(journals.front().name, names[3]);
    EXPECT_EQ(journals.back().name, names.back());
    struct stat info {};
    ASSERT_EQ(stat((m_store.Folder() + "/" + names.back()).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(stat(m_store.Folder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

// Older versions named journals after the local time; a clock set back or a time zone moved
// west made a new journal sort before them, so that it was pruned at once or never undone.
TEST_F(JournalStoreTest, ANewJournalIsTheNewestWhateverTheNamesOfTheOldOnesSay) {
    const std::string text = ReadFile(m_store.Folder() + "/" + Write(m_store, JournalKind::Run));
    std::filesystem::remove_all(m_store.Folder());
    std::filesystem::create_directories(m_store.Folder());
    for (std::size_t i = 0; i < JournalStore::kKeep; ++i) {
        WriteFile(m_store.Folder() + "/2099123" + std::to_string(i % 10) + "T000000.000000-" +
                      std::to_string(i) + ".journal",
                  text);
    }
    const std::string newest = Write(m_store, JournalKind::Run);
    const auto journals = m_store.Load();
    ASSERT_EQ(journals.size(), JournalStore::kKeep);
    EXPECT_EQ(journals.back().name, newest);
    EXPECT_EQ(UndoTarget(), newest);
    const std::string next = Write(m_store, JournalKind::Run);
    EXPECT_EQ(m_store.Load().back().name, next);
}

// A run that made no change leaves no journal to take back; an undo always leaves one, as
// the mark that its run is taken back.
TEST_F(JournalStoreTest, OnlyAnUndoKeepsAJournalWithoutChangesMade) {
    struct Case {
        JournalKind kind;
        int settled;  // -1: no change written down; 0: one, not made; 1: one, made
        bool kept;
    };
    const Case cases[] = {
        {JournalKind::Run, -1, false},
        {JournalKind::Run, 0, false},
        {JournalKind::Run, 1, true},
        {JournalKind::Undo, -1, true},
    };
    for (const Case& c : cases) {
        JournalWriter writer([] { return 0u; });
        JournalHeader header;
        header.kind = c.kind;
        ASSERT_EQ(m_store.Begin(header, writer), 0);
        std::size_t number = 0;
        if (c.settled >= 0) {
            ASSERT_EQ(writer.Intend(kChanges[4], number), 0);
            writer.Settle(number, c.settled == 1);
        }
        EXPECT_EQ(writer.Finish(), 0);
        EXPECT_EQ(std::filesystem::exists(writer.Path()), c.kept) << c.settled;
    }
}

// Older versions kept the journal of a run that only found names taken: an undo passes over
// it to the run that changed something.
TEST_F(JournalStoreTest, AnUndoPassesOverARunThatChangedNothing) {
    const std::string changed = Write(m_store, JournalKind::Run);
    const std::string nothing = "0000000099-20261207T081025.123456Z-1.journal";
    WriteFile(m_store.Folder() + "/" + nothing,
              FormatHeader({}) + IntentLine(1, kChanges[0]) + MarkLine(1, false) + FormatEnd());
    EXPECT_EQ(UndoTarget(), changed);
    const auto journals = m_store.Load();
    ASSERT_EQ(journals.back().name, nothing);
    EXPECT_FALSE(ChangedAnything(journals.back()));
    EXPECT_TRUE(ChangedAnything(journals.front()));
}

// A stopped undo and the undo that finished it are one piece of work: a redo takes back both.
TEST_F(JournalStoreTest, TheWorkOfAnUndoIsEveryPartOfIt) {
    const std::string run = Write(m_store, JournalKind::Run);
    const std::string cut = Write(m_store, JournalKind::Undo, run, false);
    const std::string other = Write(m_store, JournalKind::Run);
    const std::string done = Write(m_store, JournalKind::Undo, run);
    const auto journals = m_store.Load();
    std::vector<std::string> names;
    for (const Journal* part : PartsOf(journals, journals.back())) {
        names.push_back(part->name);
    }
    EXPECT_THAT(names, ElementsAre(done, cut));
    EXPECT_EQ(PartsOf(journals, journals[2]).size(), 1u) << other;
}

TEST_F(JournalStoreTest, SyncsAtMostOnceASecondAndMarksGoOutWithTheNextLine) {
    std::uint32_t now = 0;
    JournalWriter writer([&] { return now; });
    ASSERT_EQ(m_store.Begin({}, writer), 0);
    std::size_t number = 0;
    ASSERT_EQ(writer.Intend(kChanges[4], number), 0);
    writer.Settle(number, true);
    const std::string afterFirst = ReadFile(writer.Path());
    EXPECT_TRUE(afterFirst.ends_with(IntentLine(1, kChanges[4])));
    ASSERT_EQ(writer.Intend(kChanges[5], number), 0);
    EXPECT_EQ(ReadFile(writer.Path()), afterFirst + MarkLine(1, true) + IntentLine(2, kChanges[5]));
}

}  // namespace
