// Taking runs back: the program organizes generated collections, then --undo must give back
// exactly the tree it found (names, kinds, link targets, contents), and --redo the organized
// one; also after the run was killed at any point.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "organizer/conversiontables.h"
#include "organizer/diskexecutor.h"
#include "organizer/journalstore.h"
#include "organizer/organizerengine.h"
#include "organizer/takeback.h"
#include "platform/codepage.h"
#include "platform/folderlock.h"
#include "platform/systeminfo.h"
#include "resources/embeddedresource.h"
#include "tests/support/contenthash.h"
#include "tests/support/fileio.h"
#include "tests/support/journallines.h"
#include "tests/support/mp3writer.h"
#include "tests/support/programrun.h"
#include "tests/support/recordinghost.h"
#include "tests/support/scopedconfighome.h"
#include "tests/support/tempdir.h"
#include "tests/support/treesnapshot.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

Mp3Fixture Id3v1(const std::string& titleUtf8, const std::string& artistUtf8 = "") {
    Mp3Fixture song;
    song.id3v1.emplace();
    song.id3v1->title = codepage::Utf8ToCp936(titleUtf8);
    song.id3v1->artist = codepage::Utf8ToCp936(artistUtf8);
    return song;
}

Mp3Fixture Id3v2(const std::string& titleFields, const std::string& artistFields = "") {
    Mp3Fixture song;
    song.id3v2.emplace();
    song.id3v2->frames.push_back({"TIT2", titleFields});
    if (!artistFields.empty()) {
        song.id3v2->frames.push_back({"TPE1", artistFields});
    }
    return song;
}

// A collection with something for every kind of change: renames (one only in letter case),
// a name taken, titles from GBK, Big5, UTF-16 and UTF-8 tags, artists (two songs with one
// title for one artist: the second link replaces the first), a live link the run replaces, a
// dead link in the folder and one in a sub-folder; and tags to repair: GBK in ID3v1 only (the
// file is written anew), in a padded ID3v2 tag (in place) and beside a picture.
void WriteCollection(const std::string& root) {
    fs::create_directories(root + "/sub");
    fs::create_directories(root + "/歌手乙");
    ASSERT_TRUE(WriteMp3(root + "/a.mp3", Id3v1("01.小雨", "歌手甲")));
    ASSERT_TRUE(WriteMp3(root + "/b.mp3", Id3v1("小雨", "abccom-歌手甲")));
    Mp3Fixture big5;
    big5.id3v1.emplace();
    big5.id3v1->title = "\xB7\x52\xB1\xA1";  // 愛情
    ASSERT_TRUE(WriteMp3(root + "/c.mp3", big5));
    ASSERT_TRUE(
        WriteMp3(root + "/d.mp3", Id3v2(Utf16Text(u"月亮代表我的心"), Utf16Text(u"歌手乙"))));
    ASSERT_TRUE(WriteMp3(root + "/SONG.MP3", Id3v1("Song")));
    ASSERT_TRUE(WriteMp3(root + "/e.mp3", Id3v1("taken")));
    WriteFile(root + "/taken.mp3", "someone's own file");
    WriteFile(root + "/untagged.mp3", "no tag");
    WriteFile(root + "/cover.jpg", "picture");
    fs::create_symlink(root + "/gone.mp3", root + "/dead.mp3.lnk");
    fs::create_symlink(root + "/cover.jpg", root + "/歌手乙/月亮代表我的心.mp3.lnk");
    ASSERT_TRUE(WriteMp3(root + "/sub/f.mp3", Id3v1("心雨", "歌手丙")));
    ASSERT_TRUE(WriteMp3(root + "/sub/g.mp3", Id3v2(Utf8Text("Ünïcode ☃"))));
    fs::create_symlink(root + "/sub/gone.wma", root + "/sub/dead.wma.lnk");
    Mp3Fixture padded = Id3v2(Latin1Text(codepage::Utf8ToCp936("童年")));
    padded.id3v2->padding = 512;
    ASSERT_TRUE(WriteMp3(root + "/h.mp3", padded));
    Mp3Fixture pictured = Id3v2(Latin1Text(codepage::Utf8ToCp936("红豆")));
    pictured.id3v2->frames.insert(pictured.id3v2->frames.begin(), PictureFrame(64 * 1024));
    ASSERT_TRUE(WriteMp3(root + "/sub/i.mp3", pictured));
}

class UndoTest : public ::testing::Test {
protected:
    ScopedConfigHome m_config;  // the journals go into its state folder
    TempDir m_music;
    ProgramEnvironment m_environment{"zh_CN.UTF-8", {{"LC_MESSAGES", "en_US.UTF-8"}}};

    ProgramResult Run(std::vector<std::string> args) {
        return RunProgram(SORTUNE_EXECUTABLE, args, m_environment);
    }
    std::vector<std::string> Tree() const { return TreeSnapshot(m_music.path()); }
};

TEST_F(UndoTest, UndoGivesBackTheTreeAndRedoTheOrganizedOne) {
    const std::vector<std::vector<std::string>> optionSets = {
        {}, {"-r"}, {"-a"}, {"-r", "-a"}, {"-t"}, {"-r", "-a", "-t"}, {"-r", "-t", "--no-rename"}};
    for (const auto& options : optionSets) {
        const std::string shown = testing::PrintToString(options);
        fs::remove_all(m_music.path());
        fs::create_directory(m_music.path());
        WriteCollection(m_music.path());
        const auto original = Tree();
        std::vector<std::string> args = options;
        args.push_back(m_music.path());

        ASSERT_EQ(Run(args).status, 0) << shown;
        const auto organized = Tree();
        ASSERT_NE(organized, original) << shown;

        const ProgramResult undo = Run({"--undo"});
        EXPECT_EQ(undo.status, 0) << shown << undo.err;
        EXPECT_EQ(Tree(), original) << shown;
        EXPECT_THAT(undo.err, HasSubstr(" 0 skipped\n")) << shown;

        EXPECT_EQ(Run({"--redo"}).status, 0) << shown;
        EXPECT_EQ(Tree(), organized) << shown;
        EXPECT_EQ(Run({"--undo"}).status, 0) << shown;  // the redo is undone like a run
        EXPECT_EQ(Tree(), original) << shown;
    }
}

TEST_F(UndoTest, TwoUndosTakeBackTwoRunsAndAPreviewChangesNothing) {
    WriteCollection(m_music.path());
    const auto original = Tree();
    ASSERT_EQ(Run({m_music.path()}).status, 0);
    const auto first = Tree();
    ASSERT_EQ(Run({"-r", "-a", m_music.path()}).status, 0);
    const auto second = Tree();

    const ProgramResult preview = Run({"--undo", "-n"});
    EXPECT_EQ(preview.status, 0) << preview.err;
    EXPECT_EQ(Tree(), second);
    EXPECT_THAT(preview.out, HasSubstr("rmdir\t" + m_music / "sub/歌手丙\n"));
    EXPECT_EQ(Run({"--undo"}).status, 0);
    EXPECT_EQ(Tree(), first);
    EXPECT_EQ(Run({"--undo"}).status, 0);
    EXPECT_EQ(Tree(), original);

    const ProgramResult none = Run({"--undo"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, "sortune: nothing to undo\n");
    const ProgramResult history = Run({"--history"});
    EXPECT_EQ(std::count(history.out.begin(), history.out.end(), '\n'), 4) << history.out;
    EXPECT_THAT(history.out, HasSubstr("\trun\t" + m_music.path() + "\t"));
    EXPECT_THAT(history.out, HasSubstr("\tundone\n"));
}

// A run holds the journals shared and an undo alone: an undo never takes back a run that is
// still making changes, two undos never race, and runs over other folders go on side by side.
TEST_F(UndoTest, RunsAndUndosExcludeEachOther) {
    WriteCollection(m_music.path());
    ASSERT_EQ(Run({m_music.path()}).status, 0);
    const auto organized = Tree();
    const std::string journals = m_config.StateFolder() + "/sortune/runs";
    struct Case {
        FolderLock::Kind held;  // what the other process holds
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {FolderLock::Kind::Shared, {"--undo"}},           // a run is still going
        {FolderLock::Kind::Exclusive, {"--undo"}},        // an undo is
        {FolderLock::Kind::Exclusive, {m_music.path()}},  // a run during an undo
    };
    for (const Case& c : cases) {
        FolderLock other;
        ASSERT_EQ(other.TryLock(journals, c.held), 0);
        const ProgramResult refused = Run(c.args);
        EXPECT_EQ(refused.status, 1) << c.args.front();
        EXPECT_THAT(refused.err, HasSubstr("try again when it has ended; nothing was changed"));
        EXPECT_EQ(Tree(), organized) << c.args.front();
    }
    FolderLock run;
    ASSERT_EQ(run.TryLock(journals, FolderLock::Kind::Shared), 0);
    TempDir other;
    EXPECT_EQ(Run({other.path()}).status, 0) << "a run beside a run";
    EXPECT_EQ(Run({"--undo"}).status, 1);
}

// What changed after the run is never replaced: those changes are skipped and named.
TEST_F(UndoTest, FilesChangedSinceTheRunAreSkippedWithTheirReason) {
    WriteCollection(m_music.path());
    ASSERT_EQ(Run({m_music.path()}).status, 0);
    const std::string d = m_music.path() + "/";
    fs::remove(d + "小雨.mp3");  // another file now has the new name of a.mp3
    WriteFile(d + "小雨.mp3", "another song");
    WriteFile(d + "c.mp3", "a new c");  // the old name of 爱情.mp3 is taken

    const ProgramResult undo = Run({"--undo"});

    EXPECT_EQ(undo.status, 1);
    EXPECT_THAT(undo.err, HasSubstr("sortune: cannot take back the rename of '" + d +
                                    "a.mp3' to '" + d + "小雨.mp3': moved since\n"));
    EXPECT_THAT(undo.err, HasSubstr("sortune: cannot take back the rename of '" + d +
                                    "c.mp3' to '" + d + "爱情.mp3': name taken since\n"));
    EXPECT_THAT(undo.err, HasSubstr(" 2 skipped\n"));
    EXPECT_EQ(ReadFile(d + "小雨.mp3"), "another song");
    EXPECT_EQ(ReadFile(d + "c.mp3"), "a new c");
    EXPECT_TRUE(fs::exists(d + "爱情.mp3"));
    EXPECT_TRUE(fs::exists(d + "SONG.MP3")) << "the other changes are taken back";
    EXPECT_TRUE(fs::exists(d + "d.mp3"));
}

// Kills the process after its `count`-th change was written down: before the change is made
// or after (its mark not yet out), as a crash may.
class KillingRecorder : public ChangeRecorder {
public:
    KillingRecorder(ChangeRecorder& inner, std::size_t count, bool afterTheChange)
        : m_inner(inner), m_count(count), m_bAfter(afterTheChange) {}

    int Intend(const Change& change, std::size_t& number) override {
        const int error = m_inner.Intend(change, number);
        if (number == m_count && !m_bAfter) {
            kill(getpid(), SIGKILL);
        }
        return error;
    }
    void Settle(std::size_t number, bool made) override {
        if (number == m_count && m_bAfter) {
            kill(getpid(), SIGKILL);
        }
        m_inner.Settle(number, made);
    }

private:
    ChangeRecorder& m_inner;
    std::size_t m_count;
    bool m_bAfter;
};

// Organizes `root` in a child process killed at its `count`-th change; returns the child's
// end: 128 + SIGKILL, or 0 when the run had fewer changes.
int OrganizeKilledAt(const std::string& root, const std::string& state, bool artist, bool fixTags,
                     std::size_t count, bool afterTheChange) {
    const pid_t child = fork();
    if (child == 0) {
        ConversionTables tables;
        tables.Load(resources::FindResource);
        const ChineseConverter converter(tables);
        JournalStore store(state + "/sortune/runs");
        JournalWriter writer(sysinfo::GetTickCount);
        JournalHeader header;
        header.folder = root;
        if (store.Begin(header, writer) != 0) {
            _exit(2);
        }
        KillingRecorder killing(writer, count, afterTheChange);
        DiskExecutor disk(&killing);
        RecordingHost host;
        OrganizerEngine engine(host, disk, converter);
        engine.State().m_bSubfolders = 1;
        engine.State().m_bArtistDirs = artist ? 1 : 0;
        engine.State().m_bFixTags = fixTags ? 1 : 0;
        engine.StartRun(root);
        _exit(writer.Finish() == 0 ? 0 : 3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

TEST_F(UndoTest, AnUndoAfterARunKilledAtAnyPointGivesBackTheTree) {
    int kills = 0;
    const std::pair<bool, bool> modes[] = {{true, false}, {false, false}, {true, true}};
    for (const auto& [artist, fixTags] : modes) {
        for (const bool after : {false, true}) {
            for (std::size_t count = 1;; ++count) {
                const std::string shown =
                    (artist ? "artist " : "") + std::string(fixTags ? "tags " : "") + "killed " +
                    (after ? "after" : "before") + " change " + std::to_string(count);
                fs::remove_all(m_music.path());
                fs::create_directory(m_music.path());
                WriteCollection(m_music.path());
                const auto original = Tree();

                const int end = OrganizeKilledAt(m_music.path(), m_config.StateFolder(), artist,
                                                 fixTags, count, after);
                if (end == 0) {
                    break;  // the run made fewer changes
                }
                ASSERT_EQ(end, 128 + SIGKILL) << shown;
                ++kills;

                const ProgramResult undo = Run({"--undo"});
                EXPECT_EQ(undo.status, 0) << shown << "\n" << undo.err;
                EXPECT_EQ(Tree(), original) << shown;
            }
        }
    }
    EXPECT_GE(kills, 70);
}

}  // namespace

namespace {

// Takes the latest run (or undo) back in a child process killed at its `count`-th change, as
// the program's undo does; returns the child's end: 128 + SIGKILL, or 0 when it had fewer.
int TakeBackKilledAt(const std::string& state, TakeBackDirection direction, std::size_t count,
                     bool afterTheChange) {
    const pid_t child = fork();
    if (child == 0) {
        JournalStore store(state + "/sortune/runs");
        const std::vector<Journal> journals = store.Load();
        const Journal* target =
            direction == TakeBackDirection::Undo ? LatestToUndo(journals) : LatestToRedo(journals);
        JournalHeader header;
        header.kind = direction == TakeBackDirection::Undo ? JournalKind::Undo : JournalKind::Redo;
        header.takesBack = target != nullptr ? target->name : "";
        header.folder = target != nullptr ? target->header.folder : "";
        JournalWriter writer(sysinfo::GetTickCount);
        if (target == nullptr || store.Begin(header, writer) != 0) {
            _exit(2);
        }
        KillingRecorder killing(writer, count, afterTheChange);
        DiskExecutor disk(&killing);
        RecordingHost host;
        RunState runState;
        for (const Journal* part : PartsOf(journals, *target)) {
            TakeBack(host, runState, disk, {}).Run(*part);
        }
        _exit(writer.Finish() == 0 ? 0 : 3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

// An undo killed at any point and finished by a second --undo is one undo: --redo gives back
// the whole organized tree; the same for a redo killed and finished by a second --redo.
TEST_F(UndoTest, AnUndoOrRedoKilledAtAnyPointAndFinishedIsTakenBackWhole) {
    int kills = 0;
    for (const TakeBackDirection killed : {TakeBackDirection::Undo, TakeBackDirection::Redo}) {
        for (const bool after : {false, true}) {
            for (std::size_t count = 1;; count += 2) {
                const std::string shown =
                    std::string(killed == TakeBackDirection::Undo ? "undo" : "redo") +
                    " killed at change " + std::to_string(count) + (after ? " after" : " before");
                fs::remove_all(m_config.StateFolder());
                fs::remove_all(m_music.path());
                fs::create_directory(m_music.path());
                WriteCollection(m_music.path());
                const auto original = Tree();
                ASSERT_EQ(Run({"-a", "-t", m_music.path()}).status, 0);
                const auto organized = Tree();
                if (killed == TakeBackDirection::Redo) {
                    ASSERT_EQ(Run({"--undo"}).status, 0) << shown;
                }
                const int end = TakeBackKilledAt(m_config.StateFolder(), killed, count, after);
                if (end == 0) {
                    break;  // fewer changes
                }
                ASSERT_EQ(end, 128 + SIGKILL) << shown;
                ++kills;
                const bool undo = killed == TakeBackDirection::Undo;
                const ProgramResult finish = Run({undo ? "--undo" : "--redo"});
                ASSERT_EQ(finish.status, 0) << shown << finish.err;
                ASSERT_EQ(Tree(), undo ? original : organized) << shown;
                const ProgramResult back = Run({undo ? "--redo" : "--undo"});
                EXPECT_EQ(back.status, 0) << shown << back.err;
                EXPECT_EQ(Tree(), undo ? organized : original) << shown;
            }
        }
    }
    EXPECT_GE(kills, 8);
}

// An undo that could take nothing back (the folder was away) leaves its run to be undone.
TEST_F(UndoTest, AnUndoThatTookNothingBackLeavesTheRunUndoable) {
    WriteCollection(m_music.path());
    const auto original = Tree();
    ASSERT_EQ(Run({m_music.path()}).status, 0);
    const std::string away = m_music.path() + ".away";
    fs::rename(m_music.path(), away);

    EXPECT_EQ(Run({"--undo"}).status, 1);
    fs::rename(away, m_music.path());

    const ProgramResult undo = Run({"--undo"});
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(Tree(), original);
}

}  // namespace

namespace {

// A journal is data, not orders: whatever it names outside the folder of its run, or in a
// form a run never writes, is left alone with its reason.
TEST_F(UndoTest, AForgedJournalChangesNothingOutsideItsRun) {
    TempDir outside;
    const std::string o = outside.path() + "/";
    const std::string m = m_music.path() + "/";
    WriteFile(o + "b", "someone's file");
    fs::create_directory(o + "empty");
    fs::create_symlink(o + "b", o + "link");
    WriteFile(m + "b", "a song");
    FileIdentity identity;
    ASSERT_TRUE(IdentityOf(o + "b", identity));
    const Change forged[] = {
        Change::Rename(o + "a", o + "b", identity),
        Change::Rename(m + "../" + outside.path().substr(5) + "/a", m + "b"),
        Change::Rename("b", "a"),
        Change::MakeFolder(o + "empty"),
        Change::Link(o + "link", o + "b"),
        Change::Link(m + "planted", "/etc/shadow"),
        Change::Delete(m + "shadow.lnk", "/etc/shadow"),  // a "dead" link to restore
    };
    JournalHeader header;
    header.folder = m_music.path();
    std::string text = FormatHeader(header);
    for (std::size_t i = 0; i < std::size(forged); ++i) {
        text += IntentLine(i + 1, forged[i]) + MarkLine(i + 1, true);
    }
    const std::string runs = m_config.StateFolder() + "/sortune/runs";
    fs::create_directories(runs);
    WriteFile(runs + "/0000000001-20261208T000000.000000Z-1.journal", text + "end\n");
    const auto before = TreeSnapshot(outside.path());
    const auto music = Tree();

    const ProgramResult undo = Run({"--undo"});

    EXPECT_EQ(undo.status, 1);
    EXPECT_EQ(TreeSnapshot(outside.path()), before);
    EXPECT_EQ(Tree(), music);
    EXPECT_FALSE(fs::is_symlink(m + "shadow.lnk"));
    const std::string reason = ": outside the folder of the run\n";
    EXPECT_EQ(std::count(undo.err.begin(), undo.err.end(), '\n'), 2 + 7) << undo.err;
    EXPECT_THAT(undo.err, HasSubstr("the link '" + m + "planted'" + reason));
    EXPECT_THAT(undo.err, HasSubstr("the dead link '" + m + "shadow.lnk': changed since\n"));
    EXPECT_THAT(undo.err, HasSubstr(" 7 skipped\n"));
}

// What cannot be trusted is refused whole, and the journals' folder stays private.
TEST_F(UndoTest, ADamagedJournalOrAForeignFolderIsRefusedWhole) {
    WriteCollection(m_music.path());
    ASSERT_EQ(Run({m_music.path()}).status, 0);
    const auto organized = Tree();
    const std::string runs = m_config.StateFolder() + "/sortune/runs";
    const std::string damaged = runs + "/0000000099-20261208T000000.000000Z-1.journal";
    WriteFile(damaged, FormatHeader({}) + "1\tmkdir\t/x\n1\tdone\n1\tkept\n");

    const ProgramResult refused = Run({"--undo"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_THAT(refused.err, HasSubstr("the journal '" + damaged + "' is damaged at line 11"));
    EXPECT_EQ(Tree(), organized);

    fs::remove(damaged);
    fs::permissions(runs, fs::perms::all);
    const std::string moved = runs + ".real";
    fs::rename(runs, moved);
    fs::create_directory_symlink(moved, runs);
    const ProgramResult linked = Run({"--undo"});
    EXPECT_EQ(linked.status, 1);
    EXPECT_EQ(Tree(), organized);
    fs::remove(runs);
    fs::rename(moved, runs);

    // A FIFO among the journals is no journal: it is passed over, never waited on.
    ASSERT_EQ(mkfifo((runs + "/0000000100-fifo.journal").c_str(), 0600), 0);
    EXPECT_EQ(Run({"--history"}).status, 0);
    const ProgramResult undo = Run({"--undo"});
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(fs::status(runs).permissions() & fs::perms::all, fs::perms::owner_all);
}

}  // namespace

namespace {

// Repairs in three ways: a file without an ID3v2 tag and one with a picture are written anew,
// a padded tag is written in place.
void WriteRepairCollection(const std::string& root, int files) {
    for (int i = 0; i < files; ++i) {
        const std::string title = codepage::Utf8ToCp936("歌" + std::to_string(i));
        Mp3Fixture song;
        if (i % 3 == 0) {
            song.id3v1 = Id3v1Tag{.title = title};
        } else {
            song.id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text(title)}}, .padding = 256};
            if (i % 3 == 2) {
                song.id3v2->frames.push_back(PictureFrame(256 * 1024));
            }
        }
        ASSERT_TRUE(WriteMp3(root + "/t" + std::to_string(i) + ".mp3", song));
    }
}

std::map<std::string, std::string> HashesOf(const std::string& root) {
    std::map<std::string, std::string> hashes;
    for (const auto& entry : fs::directory_iterator(root)) {
        hashes[entry.path().filename().string()] = FileContentHash(entry.path().string());
    }
    return hashes;
}

// A repair killed at any moment, inside a write too (of a tag in place, of a file written
// anew), leaves each file as it was or as the repair makes it, never torn and never beside a
// copy of itself once undone; --undo gives back every file byte for byte.
TEST_F(UndoTest, ARepairKilledAtAnyMomentLeavesEachFileOldOrNew) {
    constexpr int kFiles = 60;
    WriteRepairCollection(m_music.path(), kFiles);
    const auto old = HashesOf(m_music.path());
    const std::vector<std::string> repair = {"-t", "--no-rename", m_music.path()};
    std::chrono::steady_clock::duration pass{};
    {
        RunningProgram program(SORTUNE_EXECUTABLE, repair, m_environment);
        ASSERT_TRUE(program.WaitForError("开始整理\n"));
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(program.Finish().status, 0);
        pass = std::chrono::steady_clock::now() - start;
    }
    const auto repaired = HashesOf(m_music.path());
    ASSERT_EQ(Run({"-q", "--undo"}).status, 0);
    ASSERT_EQ(HashesOf(m_music.path()), old);

    int partial = 0;
    constexpr int kRounds = 12;
    for (int round = 0; round < kRounds; ++round) {
        RunningProgram program(SORTUNE_EXECUTABLE, repair, m_environment);
        ASSERT_TRUE(program.WaitForError("开始整理\n"));
        std::this_thread::sleep_for(pass * round / kRounds);
        kill(program.Pid(), SIGKILL);
        program.Finish();

        int made = 0;
        for (const auto& [name, hash] : HashesOf(m_music.path())) {
            if (name.starts_with(".sortune-retag-")) {
                continue;  // the new file of a rewrite, named for a moment
            }
            ASSERT_TRUE(old.contains(name)) << name;
            EXPECT_TRUE(hash == old.at(name) || hash == repaired.at(name)) << name << " torn";
            made += hash == repaired.at(name) ? 1 : 0;
        }
        partial += made > 0 && made < kFiles ? 1 : 0;
        Run({"-q", "--undo"});
        EXPECT_EQ(HashesOf(m_music.path()), old) << "round " << round;
    }
    EXPECT_GT(partial, 0) << "no kill fell inside the repair";
}

}  // namespace
