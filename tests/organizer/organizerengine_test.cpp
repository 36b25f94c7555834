#include "organizer/organizerengine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "organizer/conversiontables.h"
#include "organizer/diskexecutor.h"
#include "organizer/dryrunexecutor.h"
#include "platform/codepage.h"
#include "tests/support/contenthash.h"
#include "tests/support/loadedtables.h"
#include "tests/support/mp3writer.h"
#include "tests/support/recordinghost.h"
#include "tests/support/tempdir.h"
#include "tests/support/unprivileged.h"

namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

std::string Gbk(const std::string& utf8) {
    return codepage::Utf8ToCp936(utf8);
}

// An MP3 file with only an ID3v1 tag holding these bytes.
Mp3Fixture RawId3v1(const std::string& title, const std::string& artist = "") {
    Mp3Fixture fixture;
    fixture.id3v1.emplace();
    fixture.id3v1->title = title;
    fixture.id3v1->artist = artist;
    return fixture;
}

// An MP3 file with only an ID3v1 tag; the text, given in UTF-8, is stored as GBK.
Mp3Fixture Id3v1(const std::string& title, const std::string& artist = "") {
    return RawId3v1(Gbk(title), Gbk(artist));
}

// An MP3 file with an ID3v2 title frame of these fields.
Mp3Fixture Id3v2(const std::string& titleFields) {
    Mp3Fixture fixture;
    fixture.id3v2.emplace();
    Id3v2Frame frame;
    frame.id = "TIT2";
    frame.fields = titleFields;
    fixture.id3v2->frames.push_back(frame);
    return fixture;
}

// Every entry below `root`, relative to it, sorted: "name" for a file, "name/" for a folder,
// "name -> target" for a symbolic link.
std::vector<std::string> Tree(const std::string& root) {
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string name = entry.path().lexically_relative(root).string();
        if (entry.is_symlink()) {
            name += " -> " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_directory()) {
            name += "/";
        }
        entries.push_back(name);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

class OrganizerEngineTest : public ::testing::Test {
protected:
    TempDir m_dir;
    RecordingHost m_host;
    DiskExecutor m_disk;
    ChineseConverter m_converter{LoadedTables()};
    OrganizerEngine m_engine{m_host, m_disk, m_converter};
    RunState& m_state = m_engine.State();

    std::string Song(const std::string& name, const Mp3Fixture& fixture) {
        const std::string path = m_dir / name;
        fs::create_directories(fs::path(path).parent_path());
        EXPECT_TRUE(WriteMp3(path, fixture));
        return path;
    }
    std::string Plain(const std::string& name, const std::string& bytes) {
        const std::string path = m_dir / name;
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // Organizes the test folder (or one below it); a run changes names, never contents.
    void Run(const std::string& folder = "") {
        const auto before = HashFileContents(m_dir.path());
        m_engine.StartRun(folder.empty() ? m_dir.path() : folder);
        EXPECT_EQ(HashFileContents(m_dir.path()), before);
        EXPECT_EQ(m_state.m_bRunning, 0);
    }
    std::vector<std::string> Names() { return Tree(m_dir.path()); }
};

TEST_F(OrganizerEngineTest, AnEmptyFolderGoesThroughEveryStepOfARun) {
    Run();

    EXPECT_THAT(m_host.events,
                ElementsAre("folder " + m_dir.path(), "busy 1 0", "timer on", "timer off",
                            "busy 1 1", "caption mp3名称整理 - 0个文件开始整理",
                            "caption mp3名称整理 - 0个文件整理完毕", "progress 0/0", "busy 0 1",
                            "busy 0 1"));
    EXPECT_EQ(m_state.m_strRunFolder, m_dir.path());
    EXPECT_EQ(m_state.m_strLastFolder, m_dir.path());
    EXPECT_EQ(m_state.m_nFolderCount, 1);
    EXPECT_THAT(Names(), IsEmpty());
}

TEST_F(OrganizerEngineTest, OneFileFromTagToName) {
    Song("track05.mp3", Id3v1("01.小雨", "abccom-歌手甲"));
    Run();

    EXPECT_THAT(Names(), ElementsAre("小雨.mp3"));
    EXPECT_EQ(m_state.m_nRenamed, 1);
    EXPECT_EQ(m_state.m_nProgressPos, 0);
    EXPECT_EQ(m_state.m_nProgressTotal, 0);
    EXPECT_THAT(m_host.events, Contains("progress 1/1"));
    EXPECT_EQ(m_host.captions.back(), "mp3名称整理 - 1个文件整理完毕");
}

TEST_F(OrganizerEngineTest, OneFileFromTagToShortcutInItsArtistFolder) {
    const std::string song = Song("track05.mp3", Id3v1("01.小雨", "abccom-歌手甲"));
    m_state.m_bArtistDirs = 1;
    Run();

    EXPECT_THAT(Names(), ElementsAre("track05.mp3", "歌手甲/", "歌手甲/小雨.mp3.lnk -> " + song));
    EXPECT_EQ(m_state.m_nRenamed, 1);
}

TEST_F(OrganizerEngineTest, TitlesComeFromWhicheverTagHoldsCleanText) {
    Song("big5.mp3", RawId3v1("\xB7\x52\xB1\xA1"));  // Big5 愛情
    Song("v2.mp3", Id3v2(Utf16Text(u"心雨")));
    Mp3Fixture emptyId3v1 = Id3v2(Utf8Text("月亮"));
    emptyId3v1.id3v1.emplace();
    Song("empty-v1.mp3", emptyId3v1);
    Run();

    EXPECT_THAT(Names(), ElementsAre("心雨.mp3", "月亮.mp3", "爱情.mp3"));
}

TEST_F(OrganizerEngineTest, FilesWithoutTitleAreLeftAloneAndNotCounted) {
    Plain("untagged.mp3", "no tags at all");
    Mp3Fixture empty = RawId3v1("");
    empty.id3v2.emplace();
    Song("empty.mp3", empty);
    Plain("song.wma", "the WMA module is not bound");
    ASSERT_EQ(mkfifo((m_dir / "pipe.mp3").c_str(), 0600), 0);  // no writer: must not block
    Run();

    EXPECT_THAT(Names(), ElementsAre("empty.mp3", "pipe.mp3", "song.wma", "untagged.mp3"));
    EXPECT_EQ(m_state.m_nRenamed, 0);
    EXPECT_EQ(m_host.captions.back(), "mp3名称整理 - 4个文件整理完毕");
}

TEST_F(OrganizerEngineTest, AFileAlreadyNamedAfterItsTitleStaysAndCounts) {
    Song("小雨.mp3", Id3v1("小雨"));
    Run();

    EXPECT_THAT(Names(), ElementsAre("小雨.mp3"));
    EXPECT_EQ(m_state.m_nRenamed, 1);
}

TEST_F(OrganizerEngineTest, TheExtensionIsWrittenInLowerCase) {
    Song("SONG.MP3", Id3v1("Song"));
    Run();

    EXPECT_THAT(Names(), ElementsAre("Song.mp3"));
}

// A name of the bare extension, or one that starts with a dot, would hide the song.
TEST_F(OrganizerEngineTest, ATitleThatCleansToNothingKeepsTheFile) {
    Song("number.mp3", Id3v1("01."));
    Song("dots.mp3", Id3v1(". ."));
    Song("controls.mp3", RawId3v1("\x01\x1B\x7F"));
    Song("illegal.mp3", Id3v2(Utf8Text("<?>")));
    std::ostringstream shown;
    DryRunExecutor preview(shown);
    OrganizerEngine previewEngine(m_host, preview, m_converter);
    previewEngine.StartRun(m_dir.path());
    Run();

    EXPECT_THAT(Names(), ElementsAre("controls.mp3", "dots.mp3", "illegal.mp3", "number.mp3"));
    EXPECT_EQ(m_state.m_nRenamed, 0);
    std::istringstream lines(shown.str());
    int kept = 0;
    for (std::string line; std::getline(lines, line); ++kept) {
        EXPECT_TRUE(line.starts_with("keep\t") && line.ends_with("\tno usable title")) << line;
    }
    EXPECT_EQ(kept, 4);
}

TEST_F(OrganizerEngineTest, TwoFilesWithOneTitleLoseNoByte) {
    Song("a.mp3", Id3v1("小雨", "甲"));
    Song("b.mp3", Id3v1("小雨", "乙"));
    Run();

    const auto names = Names();
    ASSERT_EQ(names.size(), 2U);
    EXPECT_THAT(names, Contains("小雨.mp3"));
    EXPECT_TRUE(names[0] == "a.mp3" || names[0] == "b.mp3") << names[0];
    EXPECT_EQ(m_state.m_nRenamed, 2);
}

TEST_F(OrganizerEngineTest, NamesWithAwkwardBytesAreRenamedWhole) {
    Song("a b 'c' \"d\" $HOME\n\t.mp3", Id3v1("one"));
    Song("\xFF\xFE not utf-8.mp3", Id3v1("two"));
    Song("x.mp3", Id3v1("Say \"Yes\" $PATH `ls`; a|b\nnext"));
    Run();

    EXPECT_THAT(Names(), ElementsAre("Say Yes $PATH `ls`; a|bnext.mp3", "one.mp3", "two.mp3"));
}

TEST_F(OrganizerEngineTest, ATitleNeverLeavesItsFolder) {
    fs::create_directories(m_dir / "sub");
    // A lone lead byte hides the '/' from the cleaning; the code page conversion drops the
    // byte and would uncover the '/'.
    Song("a.mp3", RawId3v1("x\x81/sub\x81/y"));
    Song("b.mp3", Id3v1(".."));
    Run();

    EXPECT_THAT(Names(), ElementsAre("b.mp3", "sub/", "xsuby.mp3"));
}

TEST_F(OrganizerEngineTest, AnArtistOfDotsMakesNoFolder) {
    Song("sub/a.mp3", Id3v1("小雨", ".."));
    Song("sub/b.mp3", Id3v1("心雨", "."));
    m_state.m_bArtistDirs = 1;
    Run(m_dir / "sub");

    EXPECT_THAT(Names(), ElementsAre("sub/", "sub/小雨.mp3", "sub/心雨.mp3"));
}

// A title or artist too long for a file name is cut to fit with what follows it, never inside
// a character.
TEST_F(OrganizerEngineTest, AnOverlongNameIsCutAtACharacterBoundaryToFit) {
    std::string chinese90;
    for (int i = 0; i < 9; ++i) {
        chinese90 += "我们的爱情故事从这里";  // three bytes a character
    }
    const std::string chinese83 = chinese90.substr(0, 83 * 3);
    const std::string chinese82 = chinese90.substr(0, 82 * 3);
    struct Case {
        const char* what;
        Mp3Fixture fixture;
        int artistDirs;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases = {
        {"ASCII", Id3v2(Utf8Text(std::string(260, 'a'))), 0, {std::string(251, 'a') + ".mp3"}},
        {"90 Chinese characters", Id3v2(Utf8Text(chinese90)), 0, {chinese83 + ".mp3"}},
        {"the cut leaves a space at the end",
         Id3v2(Utf8Text(std::string(250, 'a') + " bcdefgh")),
         0,
         {std::string(250, 'a') + ".mp3"}},
        {"a shortcut, which ends in .lnk too",
         [&] {
             Mp3Fixture f = Id3v2(Utf8Text(chinese90));
             f.id3v2->frames.push_back({"TPE1", Utf8Text("歌手甲")});
             return f;
         }(),
         1,
         {"a.mp3", "歌手甲/", "歌手甲/" + chinese82 + ".mp3.lnk -> "}},
        {"an artist folder",
         [&] {
             Mp3Fixture f = Id3v2(Utf8Text("小雨"));
             f.id3v2->frames.push_back({"TPE1", Utf8Text(chinese90)});
             return f;
         }(),
         1,
         {"a.mp3", chinese90.substr(0, 85 * 3) + "/",
          chinese90.substr(0, 85 * 3) + "/小雨.mp3.lnk -> "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(m_dir.path());
        fs::create_directory(m_dir.path());
        const std::string song = Song("a.mp3", c.fixture);
        m_state.m_bArtistDirs = c.artistDirs;
        Run();

        std::vector<std::string> expected = c.names;
        for (std::string& name : expected) {
            if (name.ends_with(" -> ")) {
                name += song;
            }
        }
        EXPECT_THAT(Names(), ElementsAreArray(expected));
    }
}

TEST_F(OrganizerEngineTest, WmaFilesAreReadThroughTheBoundModule) {
    Plain("x.WMA", "asf");
    m_engine.SetTagModule(+[](const char*, char* title, char*, char*) {
        std::strcpy(title, "\xD0\xA1\xD3\xEA");  // 小雨 in GBK
        return 1;
    });
    Run();

    EXPECT_THAT(Names(), ElementsAre("小雨.wma"));
}

TEST_F(OrganizerEngineTest, ArtistFoldersKeepOneShortcutPerTitle) {
    // Writes down the links in the order the engine asks for them.
    class LinkOrderExecutor : public DiskExecutor {
    public:
        std::vector<std::string> targets;
        Outcome Execute(const Change& step) override {
            if (step.kind == ChangeKind::Link) {
                targets.push_back(step.other);
            }
            return DiskExecutor::Execute(step);
        }
    } recording;
    OrganizerEngine engine(m_host, recording, m_converter);
    engine.State().m_bArtistDirs = 1;
    const std::string a = Song("a.mp3", Id3v1("小雨", "歌手甲"));
    const std::string b = Song("b.mp3", Id3v1("小雨", "歌手甲"));

    engine.StartRun(m_dir.path());

    ASSERT_THAT(recording.targets, UnorderedElementsAre(a, b));
    EXPECT_THAT(Names(), ElementsAre("a.mp3", "b.mp3", "歌手甲/",
                                     "歌手甲/小雨.mp3.lnk -> " + recording.targets.back()))
        << "the file handled later wins";
}

TEST_F(OrganizerEngineTest, AShortcutNeverReplacesAFile) {
    Song("a.mp3", Id3v1("小雨", "歌手甲"));
    Plain("歌手甲/小雨.mp3.lnk", "a Windows shortcut");
    m_state.m_bArtistDirs = 1;
    std::ostringstream shown;
    DryRunExecutor preview(shown);
    OrganizerEngine previewEngine(m_host, preview, m_converter);
    previewEngine.State().m_bArtistDirs = 1;
    previewEngine.StartRun(m_dir.path());
    EXPECT_EQ(shown.str(), "keep\t" + (m_dir / "a.mp3") + "\tname taken\n");

    Run();

    EXPECT_THAT(Names(), ElementsAre("a.mp3", "歌手甲/", "歌手甲/小雨.mp3.lnk"));
}

TEST_F(OrganizerEngineTest, AnArtistThatCleansToNothingRenamesInPlace) {
    Song("a.mp3", Id3v1("小雨", "<>"));
    m_state.m_bArtistDirs = 1;
    Run();

    EXPECT_THAT(Names(), ElementsAre("小雨.mp3"));
}

// Where the new name goes, by option: one row of the table per case.
struct PlacementCase {
    int subfolders;
    int artistDirs;
    int fromShell;
    std::vector<std::string> names;
};

class PlacementTest : public OrganizerEngineTest,
                      public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(PlacementTest, FollowsTheOptions) {
    const PlacementCase& c = GetParam();
    Song("top.mp3", Id3v1("甲", "歌手"));
    Song("sub/deep.mp3", Id3v1("乙", "歌手"));
    m_state.m_bSubfolders = c.subfolders;
    m_state.m_bArtistDirs = c.artistDirs;
    m_state.m_bFromShell = c.fromShell;
    Run();

    std::vector<std::string> expected;
    for (const std::string& name : c.names) {
        const auto arrow = name.find(" -> ");
        expected.push_back(arrow == std::string::npos
                               ? name
                               : name.substr(0, arrow + 4) + (m_dir / name.substr(arrow + 4)));
    }
    EXPECT_THAT(Names(), ElementsAreArray(expected));
}

const std::vector<std::string> kTopRenamed = {"sub/", "sub/deep.mp3", "甲.mp3"};
const std::vector<std::string> kAllRenamed = {"sub/", "sub/乙.mp3", "甲.mp3"};

INSTANTIATE_TEST_SUITE_P(
    ArtistFolderTable, PlacementTest,
    ::testing::Values(
        PlacementCase{0, 0, 0, kTopRenamed}, PlacementCase{0, 0, 1, kTopRenamed},
        PlacementCase{1, 0, 0, kAllRenamed}, PlacementCase{1, 0, 1, kAllRenamed},
        PlacementCase{
            0, 1, 0, {"sub/", "sub/deep.mp3", "top.mp3", "歌手/", "歌手/甲.mp3.lnk -> top.mp3"}},
        PlacementCase{1,
                      1,
                      0,
                      {"sub/", "sub/deep.mp3", "sub/歌手/", "sub/歌手/乙.mp3.lnk -> sub/deep.mp3",
                       "top.mp3", "歌手/", "歌手/甲.mp3.lnk -> top.mp3"}},
        PlacementCase{0, 1, 1, kTopRenamed}, PlacementCase{1, 1, 1, kAllRenamed}));

// Works in `folder` while it lives, then goes back to the folder it came from.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::string& folder) : m_previous(fs::current_path()) {
        fs::current_path(folder);
    }
    ~ScopedCurrentFolder() { fs::current_path(m_previous); }
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

private:
    fs::path m_previous;
};

TEST_F(OrganizerEngineTest, ARelativeRunFolderIsTakenFromTheCurrentFolder) {
    const std::string top = Song("music/top.mp3", Id3v1("甲", "歌手"));
    Song("music/sub/deep.mp3", Id3v1("乙", "歌手"));
    const ScopedCurrentFolder inside(m_dir.path());

    Run("music");
    EXPECT_THAT(Names(), ElementsAre("music/", "music/sub/", "music/sub/deep.mp3", "music/甲.mp3"))
        << "renamed in place, no shortcut";
    EXPECT_EQ(m_state.m_strRunFolder, m_dir / "music");
    EXPECT_EQ(m_state.m_strLastFolder, m_dir / "music");
    EXPECT_EQ(m_host.events.front(), "folder " + (m_dir / "music"));

    fs::rename(m_dir / "music/甲.mp3", top);
    m_state.m_bArtistDirs = 1;
    Run("music");
    EXPECT_THAT(Names(), ElementsAre("music/", "music/sub/", "music/sub/deep.mp3", "music/top.mp3",
                                     "music/歌手/", "music/歌手/甲.mp3.lnk -> " + top));
}

TEST_F(OrganizerEngineTest, ARelativeRunFolderWithoutACurrentFolderTouchesNothing) {
    Song("music/a.mp3", Id3v1("小雨"));
    const std::string gone = m_dir / "gone";
    fs::create_directory(gone);
    const ScopedCurrentFolder inside(gone);
    fs::remove(gone);

    EXPECT_EQ(m_engine.StartRun("music"), 1);
    EXPECT_EQ(m_engine.StartRun(""), 1);

    EXPECT_THAT(Names(), ElementsAre("music/", "music/a.mp3"));
    EXPECT_THAT(m_host.events, IsEmpty());
    EXPECT_EQ(m_state.m_bRunning, 0);
    EXPECT_EQ(m_state.m_nRenamed, 0);
}

TEST(GetFolderPartTest, KeepsEverythingUpToTheLastSlash) {
    EXPECT_EQ(OrganizerEngine::GetFolderPart("/music/pop/a.mp3"), "/music/pop/");
    EXPECT_EQ(OrganizerEngine::GetFolderPart("/a.mp3"), "/");
    EXPECT_EQ(OrganizerEngine::GetFolderPart("a.mp3"), "");
    EXPECT_EQ(OrganizerEngine::GetFolderPart("/音乐/功夫/a.mp3"), "/音乐/功夫/");
}

TEST_F(OrganizerEngineTest, AStopDuringThePassKeepsTheFilesBeforeIt) {
    for (int i = 0; i < 5; ++i) {
        Song("track" + std::to_string(i) + ".mp3", Id3v1("title" + std::to_string(i)));
    }
    m_host.onPump = [&](int) {
        if (m_state.m_nProgressPos == 3) {
            m_state.m_bRunning = 0;  // the Open button, pressed while the third file waits
        }
    };
    Run();

    int renamed = 0;
    for (const std::string& name : Names()) {
        renamed += name.starts_with("title") ? 1 : 0;
    }
    EXPECT_EQ(renamed, 3);
    EXPECT_EQ(m_state.m_nRenamed, 3);
    EXPECT_EQ(m_host.captions.back(), "mp3名称整理 - 3个文件整理完毕");
    EXPECT_EQ(m_host.events.back(), "busy 0 1");
}

TEST_F(OrganizerEngineTest, AStopDuringTheWalkTouchesNoFile) {
    Song("a.mp3", Id3v1("小雨"));
    Song("b.mp3", Id3v1("心雨"));
    m_host.onPump = [&](int) { m_state.m_bRunning = 0; };
    Run();

    EXPECT_EQ(m_host.pumps, 1);
    EXPECT_EQ(m_state.m_nRenamed, 0);
    EXPECT_THAT(Names(), ElementsAre("a.mp3", "b.mp3"));
    EXPECT_THAT(m_host.events, ElementsAre("folder " + m_dir.path(), "busy 1 0", "timer on",
                                           "timer off", "busy 0 1"));
}

TEST_F(OrganizerEngineTest, ThePassCaptionIsRewrittenAtMostEvery100ms) {
    for (int i = 0; i < 5; ++i) {
        Plain("f" + std::to_string(i) + ".mp3", "");
    }
    std::uint32_t now = 0;
    m_engine.SetTickSource([&] { return now += 60; });
    Run();

    EXPECT_THAT(m_host.captions,
                ElementsAre("mp3名称整理 - 5个文件开始整理", "mp3名称整理 - 2个文件整理完毕",
                            "mp3名称整理 - 4个文件整理完毕", "mp3名称整理 - 5个文件整理完毕"));
}

TEST_F(OrganizerEngineTest, ANameTakenBetweenTheCheckAndTheRenameIsNotReplaced) {
    // Another program takes the new name after the decision, just before the rename.
    class RacingExecutor : public DiskExecutor {
    public:
        Outcome Execute(const Change& step) override {
            if (step.kind == ChangeKind::Rename) {
                std::ofstream(step.other) << "the other program's file";
            }
            return DiskExecutor::Execute(step);
        }
    } racing;
    OrganizerEngine engine(m_host, racing, m_converter);
    const Mp3Fixture song = Id3v1("小雨");
    Song("a.mp3", song);

    engine.StartRun(m_dir.path());

    EXPECT_THAT(Names(), ElementsAre("a.mp3", "小雨.mp3"));
    const auto read = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(read(m_dir / "a.mp3"), RenderMp3(song));
    EXPECT_EQ(read(m_dir / "小雨.mp3"), "the other program's file");
}

TEST_F(OrganizerEngineTest, AFolderWithoutWritePermissionKeepsItsNames) {
    m_state.m_bSubfolders = 1;
    Song("open/a.mp3", Id3v1("甲"));
    Song("locked/b.mp3", Id3v1("乙"));
    ASSERT_EQ(chmod((m_dir / "locked").c_str(), 0555), 0);
    const auto before = HashFileContents(m_dir.path());

    const int result = RunUnprivileged(m_dir.path(), [&] {
        m_engine.StartRun(m_dir.path());
        return m_state.m_nRenamed;
    });

    EXPECT_EQ(result, 2);
    EXPECT_THAT(Names(), ElementsAre("locked/", "locked/b.mp3", "open/", "open/甲.mp3"));
    EXPECT_EQ(HashFileContents(m_dir.path()), before);
}

// A preview takes the same decisions as the run and changes nothing.
class PreviewRunTest : public OrganizerEngineTest {
protected:
    std::ostringstream m_out;
    DryRunExecutor m_preview{m_out};
    OrganizerEngine m_previewEngine{m_host, m_preview, m_converter};

    void SetUp() override {
        Song("a.mp3", Id3v1("01.小雨", "歌手甲"));
        Song("b.mp3", Id3v1("小雨"));
        Song("c.mp3", Id3v1("c"));
        Song("d.mp3", Id3v1("心雨"));
        Song("e.mp3", Id3v1("e"));
        Plain("untagged.mp3", "");
        ASSERT_EQ(symlink((m_dir / "gone.mp3").c_str(), (m_dir / "dead.mp3.lnk").c_str()), 0);
    }
    std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        std::istringstream in(m_out.str());
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    }
};

TEST_F(PreviewRunTest, PrintsTheDecisionsAndChangesNothing) {
    const auto names = Names();
    const auto contents = HashFileContents(m_dir.path());
    m_previewEngine.StartRun(m_dir.path());

    EXPECT_EQ(Names(), names);
    EXPECT_EQ(HashFileContents(m_dir.path()), contents);
    const std::string d = m_dir.path() + "/";
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 7U) << m_out.str();
    EXPECT_EQ(lines[0], "delete\t" + d + "dead.mp3.lnk");
    EXPECT_EQ(lines[2], "keep\t" + d + "c.mp3\tsame name");
    EXPECT_EQ(lines[3], "keep\t" + d + "e.mp3\tsame name");
    EXPECT_EQ(lines[4], "keep\t" + d + "untagged.mp3\tno title");
    // One of a.mp3 and b.mp3 gets 小雨.mp3, the other finds it taken.
    EXPECT_TRUE((lines[1] == "keep\t" + d + "a.mp3\tname taken" &&
                 lines[5] == "rename\t" + d + "b.mp3\t" + d + "小雨.mp3") ||
                (lines[1] == "keep\t" + d + "b.mp3\tname taken" &&
                 lines[5] == "rename\t" + d + "a.mp3\t" + d + "小雨.mp3"))
        << m_out.str();
    EXPECT_EQ(lines[6], "rename\t" + d + "d.mp3\t" + d + "心雨.mp3");
}

TEST_F(PreviewRunTest, TheRunDoesWhatThePreviewShowed) {
    m_previewEngine.StartRun(m_dir.path());
    std::string expected;
    for (const std::string& line : Lines()) {
        if (line.starts_with("rename\t")) {
            expected += fs::path(line.substr(line.rfind('\t') + 1)).filename().string() + "\n";
        } else if (line.starts_with("keep\t")) {
            const std::string path = line.substr(5, line.rfind('\t') - 5);
            expected += fs::path(path).filename().string() + "\n";
        }
    }
    Run();

    std::vector<std::string> shown;
    std::istringstream in(expected);
    for (std::string name; std::getline(in, name);) {
        shown.push_back(name);
    }
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(Names(), shown);
}

}  // namespace
