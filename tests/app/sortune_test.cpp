// The program itself, run as a user runs it: without a display, with its own settings folder.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>

#include "app/progressline.h"
#include "platform/codepage.h"
#include "platform/profile.h"
#include "tests/support/contenthash.h"
#include "tests/support/fileio.h"
#include "tests/support/formatwriter.h"
#include "tests/support/mp3writer.h"
#include "tests/support/programrun.h"
#include "tests/support/scopedconfighome.h"
#include "tests/support/tempdir.h"
#include "tests/support/treesnapshot.h"
#include "tests/support/unprivileged.h"
#include "tests/support/wmawriter.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

using Clock = std::chrono::steady_clock;

// Messages in English, in a locale where the program runs.
const ProgramEnvironment kEnglish{"zh_CN.UTF-8", {{"LC_MESSAGES", "en_US.UTF-8"}}};

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        names.push_back(entry.path().lexically_relative(folder).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

Mp3Fixture Titled(const std::string& titleBytes, const std::string& artistBytes = "") {
    Mp3Fixture song;
    song.id3v1.emplace();
    song.id3v1->title = titleBytes;
    song.id3v1->artist = artistBytes;
    return song;
}

int CountOf(const std::string& text, const std::string& what) {
    int count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

class SortuneTest : public ::testing::Test {
protected:
    ScopedConfigHome m_config;  // the child inherits XDG_CONFIG_HOME
    TempDir m_music;

    ProgramResult Run(const std::vector<std::string>& args,
                      const ProgramEnvironment& environment = {}) {
        return RunProgram(SORTUNE_EXECUTABLE, args, environment);
    }
    void Song(const std::string& name, const std::string& titleUtf8,
              const std::string& artistUtf8 = "") {
        fs::create_directories(fs::path(m_music / name).parent_path());
        ASSERT_TRUE(WriteMp3(m_music / name, Titled(codepage::Utf8ToCp936(titleUtf8),
                                                    codepage::Utf8ToCp936(artistUtf8))));
    }
    bool HasSettings() const { return fs::exists(m_config.HiveFile("HKEY_CURRENT_USER")); }
};

TEST_F(SortuneTest, OrganizesTheFolderOfThePathAndReportsOnStandardError) {
    Song("track01.mp3", "01.小雨");
    ASSERT_TRUE(WriteMp3(m_music / "track02.mp3", Titled("\xB7\x52\xB1\xA1")));  // Big5 愛情
    Song("sub/track03.mp3", "心雨");
    const auto contents = HashFileContents(m_music.path());

    const ProgramResult outcome = Run({m_music / "track01.mp3"});

    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "");
    EXPECT_THAT(outcome.err, StartsWith("mp3名称整理 - 2个文件开始整理\n"));
    EXPECT_THAT(outcome.err,
                EndsWith("mp3名称整理 - 2个文件整理完毕\n"
                         "sortune: 重命名 2，链接 0，删除失效链接 0，保留 0，失败 0\n"));
    EXPECT_THAT(Names(m_music.path()),
                ElementsAre("sub", "sub/track03.mp3", "小雨.mp3", "爱情.mp3"));
    EXPECT_EQ(HashFileContents(m_music.path()), contents);
}

// With a display (Qt's offscreen one here) a PATH alone is organized in the window, which
// closes at the end, after the closing effect of ten files; the terminal hears nothing of
// the run. An option keeps the start in the terminal.
TEST_F(SortuneTest, WithADisplayAPathAloneIsOrganizedInTheWindow) {
    for (int i = 1; i <= 10; ++i) {
        Song("track" + std::to_string(100 + i).substr(1) + ".mp3", "歌" + std::to_string(i));
    }
    const ProgramEnvironment display{"zh_CN.UTF-8",
                                     {{"DISPLAY", ":97"}, {"QT_QPA_PLATFORM", "offscreen"}}};
    const ProgramResult preview = Run({"--dry-run", m_music / "track01.mp3"}, display);
    EXPECT_EQ(preview.status, 0);
    EXPECT_EQ(CountOf(preview.out, "rename\t"), 10);

    const ProgramResult window = Run({m_music / "track01.mp3"}, display);

    EXPECT_EQ(window.status, 0);
    EXPECT_EQ(window.out, "");
    EXPECT_THAT(window.err, Not(HasSubstr("整理完毕")));
    EXPECT_THAT(window.err, Not(HasSubstr("重命名")));
    EXPECT_EQ(Names(m_music.path()).front(), "歌1.mp3");
    EXPECT_EQ(GetProfileString("Set", "path0"), m_music.path());
    EXPECT_EQ(Run({"--undo"}, display).status, 0);  // the window's run kept its journal
    EXPECT_EQ(Names(m_music.path()).front(), "track01.mp3");
}

TEST_F(SortuneTest, KeepsTheSettingsOfARun) {
    WriteProfileInt("Set", "FindPath", 1);
    WriteProfileInt("Set", "Artist_dir", 1);
    Song("sub/track03.mp3", "心雨");
    WriteProfileString("Set", "path0", "/elsewhere");

    EXPECT_EQ(Run({m_music / "sub"}).status, 0);

    // From the command line artist folders are made only when -a asks.
    EXPECT_THAT(Names(m_music.path()), ElementsAre("sub", "sub/心雨.mp3"));
    EXPECT_EQ(GetProfileString("Set", "ExePath"), fs::canonical(SORTUNE_EXECUTABLE).string());
    EXPECT_EQ(GetProfileString("Set", "path0"), m_music / "sub");
    EXPECT_EQ(GetProfileString("Set", "path1"), "/elsewhere");
}

// A hand-edited settings file with a broken line: the run goes on with what can be read, and
// says once where the file as it was is kept, though the run writes several settings.
TEST_F(SortuneTest, ADamagedSettingsFileIsKeptAndNamedOnce) {
    const std::string hive = m_config.HiveFile("HKEY_CURRENT_USER");
    fs::create_directories(m_config.RegistryFolder());
    const std::string damaged =
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Sortune\\Set]\n"
        "\"FindPath\"=dword:00000001\n\"path0\"=\"/half a line\n";
    WriteFile(hive, damaged);
    Song("sub/a.mp3", "小雨");

    const ProgramResult outcome = Run({m_music.path()});

    EXPECT_EQ(outcome.status, 0);
    EXPECT_TRUE(fs::exists(m_music / "sub/小雨.mp3")) << "the stored FindPath was read";
    EXPECT_EQ(CountOf(outcome.err, "已损坏"), 1) << outcome.err;
    EXPECT_THAT(outcome.err, HasSubstr("sortune: 设置文件“" + hive + "”已损坏"));
    EXPECT_THAT(outcome.err, HasSubstr("保存为“" + hive + ".bak”\n"));
    EXPECT_EQ(ReadFile(hive + ".bak"), damaged);
    EXPECT_EQ(GetProfileString("Set", "path0"), m_music.path());
}

TEST_F(SortuneTest, DryRunPrintsThePlanAndTouchesNothing) {
    Song("a.mp3", "小雨");
    Song("b.mp3", "小雨");
    Song("c.mp3", "c");
    std::ofstream(m_music / "untagged.mp3") << "no tag";
    ASSERT_EQ(symlink((m_music / "gone.mp3").c_str(), (m_music / "dead.mp3.lnk").c_str()), 0);
    const auto before = TreeSnapshot(m_music.path());
    const std::string d = m_music.path() + "/";

    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--dry-run", d + "a.mp3"}, {"-n", m_music.path()}, {m_music.path(), "-n"}}) {
        const ProgramResult outcome = Run(args);

        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(TreeSnapshot(m_music.path()), before);
        EXPECT_FALSE(HasSettings()) << "a preview writes no setting";
        EXPECT_THAT(outcome.out, HasSubstr("delete\t" + d + "dead.mp3.lnk\n"));
        EXPECT_THAT(outcome.out, HasSubstr("keep\t" + d + "c.mp3\tsame name\n"));
        EXPECT_THAT(outcome.out, HasSubstr("keep\t" + d + "untagged.mp3\tno title\n"));
        EXPECT_THAT(outcome.out, HasSubstr("\t" + d + "小雨.mp3\n"));
        EXPECT_THAT(outcome.out, HasSubstr("\tname taken\n"));
        EXPECT_EQ(CountOf(outcome.out, "\n"), 5);
        EXPECT_THAT(outcome.err, Not(HasSubstr("sortune:"))) << "a preview has no summary";
    }
}

TEST_F(SortuneTest, RefusesEveryLanguageButSimplifiedChinese) {
    Song("a.mp3", "小雨");
    for (const char* lang : {"en_US.UTF-8", "zh_TW.UTF-8", "C"}) {
        const ProgramResult outcome = Run({m_music / "a.mp3"}, {lang, {}});
        EXPECT_EQ(outcome.status, 1) << lang;
        EXPECT_THAT(outcome.err, StartsWith("Sorry, Only work GB2312!\nsortune: ")) << lang;
        EXPECT_THAT(outcome.err, HasSubstr("LANG=zh_CN.UTF-8 sortune")) << lang;
        EXPECT_EQ(CountOf(outcome.err, "\n"), 2) << lang;
    }
    EXPECT_THAT(Names(m_music.path()), ElementsAre("a.mp3"));
    EXPECT_FALSE(HasSettings());
}

// In a locale where a run would go ahead, nothing is read or changed.
TEST_F(SortuneTest, ARefusedCommandLineChangesNothing) {
    Song("a.mp3", "小雨");
    const auto before = TreeSnapshot(m_music.path());
    const std::string d = m_music.path();
    struct Case {
        std::vector<std::string> args;
        std::string error;
    };
    const Case cases[] = {
        {{"--dryrun", d + "/."}, "unrecognized option '--dryrun'"},
        {{d, "--dry"}, "unrecognized option '--dry'"},
        {{"--dry-run=yes", d}, "option '--dry-run' doesn't allow an argument"},
        {{"--recursive=no", d}, "option '--recursive' doesn't allow an argument"},
        {{"-x", d}, "invalid option -- 'x'"},
        {{"-nx", d}, "invalid option -- 'x'"},
        {{"-N", d}, "invalid option -- 'N'"},
        {{}, "missing PATH to organize"},
        {{"-n", "-r"}, "missing PATH to organize"},
    };
    for (const Case& c : cases) {
        const ProgramResult outcome = Run(c.args, kEnglish);
        const std::string shown = testing::PrintToString(c.args);
        EXPECT_EQ(outcome.status, 2) << shown;
        EXPECT_THAT(outcome.err, StartsWith("sortune: " + c.error)) << shown;
        EXPECT_THAT(outcome.err, EndsWith("\nTry 'sortune --help' for more information.\n"))
            << shown;
        EXPECT_EQ(CountOf(outcome.err, "\n"), 2) << shown;
        EXPECT_EQ(outcome.out, "") << shown;
    }
    EXPECT_EQ(TreeSnapshot(m_music.path()), before);
    EXPECT_FALSE(HasSettings());

    const ProgramResult chinese = Run({"--dryrun", d});
    EXPECT_EQ(chinese.err,
              "sortune: 无法识别的选项“--dryrun”\n请尝试执行“sortune --help”来获取更多信息。\n");
}

TEST_F(SortuneTest, HelpListsEveryOptionInTheUsersLanguage) {
    const ProgramResult english = Run({"--help"}, {"en_US.UTF-8", {}});
    const ProgramResult chinese = Run({"-h"}, {"zh_CN.UTF-8", {}});
    EXPECT_THAT(english.out, StartsWith("Usage: sortune [OPTION]... PATH...\n"));
    EXPECT_THAT(chinese.out, StartsWith("用法：sortune [选项]... 路径...\n"));
    for (const ProgramResult& help : {english, chinese}) {
        EXPECT_EQ(help.status, 0);
        for (const char* option :
             {"\n  -n, --dry-run  ", "\n  -r, --recursive  ", "\n      --no-recursive  ",
              "\n  -a, --by-artist  ", "\n  -v, --verbose  ", "\n  -q, --quiet  ",
              "\n  -h, --help  ", "\n      --version  "}) {
            EXPECT_THAT(help.out, HasSubstr(option));
        }
        // No line wider than a terminal of 80 columns (a Chinese character takes two).
        std::istringstream lines(help.out);
        for (std::string line; std::getline(lines, line);) {
            EXPECT_LE(DisplayWidth(line), 80) << line;
        }
    }
    const ProgramResult version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("sortune [0-9]+\\.[0-9]+\\.[0-9]+\n")))
        << version.out;
}

TEST_F(SortuneTest, SeveralPathsAreOrganizedOneAfterAnother) {
    Song("a/x.mp3", "甲");
    Song("b/y.mp3", "乙");

    const ProgramResult outcome = Run({m_music / "a", m_music / "b/y.mp3"});

    EXPECT_EQ(outcome.status, 0);
    EXPECT_THAT(Names(m_music.path()), ElementsAre("a", "a/甲.mp3", "b", "b/乙.mp3"));
    EXPECT_EQ(CountOf(outcome.err, "sortune: 重命名 1，链接 0，删除失效链接 0，保留 0，失败 0\n"),
              2);
    EXPECT_EQ(GetProfileString("Set", "path0"), m_music / "b");
    EXPECT_EQ(GetProfileString("Set", "path1"), m_music / "a");
}

TEST_F(SortuneTest, APathLeadingNowhereFailsAndIsNotRecorded) {
    Song("a/x.mp3", "甲");
    const std::string missing = m_music / "missing";

    const ProgramResult outcome = Run({missing, "", m_music / "a", "/"}, kEnglish);

    EXPECT_EQ(outcome.status, 1);
    EXPECT_THAT(outcome.err,
                StartsWith("sortune: cannot organize '" + missing +
                           "': No such file or directory\n"
                           "sortune: cannot organize '': No such file or directory\n"));
    EXPECT_THAT(outcome.err, HasSubstr("sortune: 1 renamed, 0 linked, 0 dead links deleted, "
                                       "0 kept, 0 failed\n"));
    EXPECT_THAT(outcome.err, EndsWith("sortune: refusing to organize the root folder ('/')\n"));
    EXPECT_THAT(Names(m_music.path()), ElementsAre("a", "a/甲.mp3"));
    EXPECT_EQ(GetProfileString("Set", "path0"), m_music / "a");
    EXPECT_EQ(GetProfileString("Set", "path1", "-"), "-");
}

// Permission bits hold only for an ordinary user: the program runs as one, on a tree handed
// over to it, with its settings inside that tree.
TEST(SortunePermissionTest, AFolderClosedToChangesFailsFileByFile) {
    TempDir root;
    const std::string music = root / "music";
    const std::string config = root / "config";
    fs::create_directories(music + "/locked");
    fs::create_directories(music + "/closed");
    fs::create_directories(config);
    ASSERT_TRUE(WriteMp3(music + "/locked/a.mp3", Titled("a1")));
    ASSERT_TRUE(WriteMp3(music + "/locked/b.mp3", Titled("b1")));
    ASSERT_TRUE(WriteMp3(music + "/c.mp3", Titled("c1")));
    ASSERT_EQ(chmod((music + "/locked").c_str(), 0555), 0);
    ASSERT_EQ(chmod((music + "/closed").c_str(), 0300), 0);  // cannot be listed
    const ProgramEnvironment environment{"zh_CN.UTF-8",
                                         {{"LC_MESSAGES", "en_US.UTF-8"},
                                          {"XDG_CONFIG_HOME", config},
                                          {"XDG_STATE_HOME", config + "/state"}}};

    const int statuses = RunUnprivileged(root.path(), [&] {
        const ProgramResult preview = RunProgram(SORTUNE_EXECUTABLE, {"-nr", music}, environment);
        const ProgramResult run =
            RunProgram(SORTUNE_EXECUTABLE, {"-r", music + "/closed", music}, environment);
        WriteFile(root / "preview.out", preview.out);
        WriteFile(root / "run.err", run.err);
        return preview.status * 10 + run.status;
    });

    EXPECT_EQ(statuses, 1) << "the preview succeeds, the run fails";
    const std::string locked = music + "/locked";
    EXPECT_THAT(ReadFile(root / "preview.out"),
                HasSubstr("keep\t" + locked + "/a.mp3\tfolder not writable\n"));
    const std::string err = ReadFile(root / "run.err");
    EXPECT_THAT(err,
                StartsWith("sortune: cannot organize '" + music + "/closed': Permission denied\n"));
    for (const char* name : {"a", "b"}) {
        EXPECT_THAT(err, HasSubstr("sortune: cannot rename '" + locked + "/" + name + ".mp3' to '" +
                                   locked + "/" + name + "1.mp3': Permission denied\n"));
    }
    EXPECT_THAT(err, EndsWith("sortune: 1 renamed, 0 linked, 0 dead links deleted, 0 kept, "
                              "2 failed\n"));
    EXPECT_THAT(Names(music),
                ElementsAre("c1.mp3", "closed", "locked", "locked/a.mp3", "locked/b.mp3"));
    const std::string settings = ReadFile(config + "/sortune/registry/HKEY_CURRENT_USER.reg");
    EXPECT_THAT(settings, HasSubstr("\"path0\"=\"" + music + "\""));
    EXPECT_THAT(settings, Not(HasSubstr("closed")));
}

TEST_F(SortuneTest, ByArtistLinksIntoArtistFoldersForThisRunOnly) {
    Song("track.mp3", "小雨", "abccom-歌手甲");
    const std::string track = m_music / "track.mp3";

    const ProgramResult outcome = Run({"-a", m_music.path()}, kEnglish);

    EXPECT_EQ(outcome.status, 0);
    EXPECT_THAT(TreeSnapshot(m_music.path()),
                ElementsAre(testing::StartsWith("track.mp3 #"), "歌手甲/",
                            "歌手甲/小雨.mp3.lnk -> " + track));
    EXPECT_THAT(outcome.err, EndsWith("sortune: 0 renamed, 1 linked, 0 dead links deleted, "
                                      "0 kept, 0 failed\n"));
    EXPECT_EQ(GetProfileInt("Set", "Artist_dir", 7), 7u) << "-a is not stored";

    // Without -a the stored option does not apply from the command line.
    fs::remove_all(m_music / "歌手甲");
    WriteProfileInt("Set", "Artist_dir", 1);
    EXPECT_EQ(Run({m_music.path()}).status, 0);
    EXPECT_THAT(Names(m_music.path()), ElementsAre("小雨.mp3"));
}

// The preview shows each field a repair changes as players show it today and after; the run
// renames as before and counts the files repaired; --no-rename only repairs.
TEST_F(SortuneTest, FixTagsShowsTheRepairAndCountsIt) {
    ASSERT_TRUE(WriteMp3(m_music / "a.mp3", Titled("\xD0\xA1\xD3\xEA")));  // GBK 小雨
    ASSERT_TRUE(WriteMp3(m_music / "b.mp3", Titled("Rain")));

    const ProgramResult preview = Run({"-n", "-t", m_music.path()});
    EXPECT_EQ(preview.status, 0);
    EXPECT_THAT(preview.out, HasSubstr("retag\t" + (m_music / "a.mp3") + "\ttitle\tÐ¡Óê\t小雨\n"));
    EXPECT_EQ(CountOf(preview.out, "retag\t"), 1);

    const ProgramResult onlyTags = Run({"-t", "--no-rename", m_music.path()});
    EXPECT_THAT(onlyTags.err, EndsWith("失败 0，修复标签 1\n"));
    EXPECT_THAT(Names(m_music.path()), ElementsAre("a.mp3", "b.mp3"));
    const ProgramResult renamed = Run({"-t", m_music.path()});
    EXPECT_THAT(renamed.err,
                EndsWith("sortune: 重命名 2，链接 0，删除失效链接 0，保留 0，失败 0\n"))
        << "nothing left to repair";
    EXPECT_THAT(Names(m_music.path()), ElementsAre("Rain.mp3", "小雨.mp3"));
}

// A mixed folder: by default only the MP3 and WMA files are renamed, and the run says how many
// files of the other formats it left; with -A each format gets its title and its own
// extension in lower case (a film in an MP4 file keeps its name); --undo takes it all back.
TEST_F(SortuneTest, AllFormatsTakesEveryAudioFormatAndUndoTakesItBack) {
    Song("a.mp3", "小雨");
    const std::vector<std::pair<std::string, Sample>> others = {
        {"b.FLAC", Sample::Flac},   {"c.ogg", Sample::OggVorbis}, {"d.Opus", Sample::Opus},
        {"e.oga", Sample::OggFlac}, {"f.M4A", Sample::M4a},       {"g.wv", Sample::WavPack},
        {"h.mp4", Sample::Mp4Video}};
    const std::vector<std::string> titles = {"童話",       "吻别",       "心雨", "红豆",
                                             "爱你一万年", "一千年以后", "电影"};
    for (std::size_t i = 0; i < others.size(); ++i) {
        ASSERT_TRUE(WriteSample(m_music / others[i].first, others[i].second, titles[i], ""));
    }
    WriteFile(m_music / "i.APE", MonkeysAudioBytes(ApeTagBytes({{"Title", "\xBA\xEC\xB6\xB9"}})));
    const std::vector<std::string> before = Names(m_music.path());

    const ProgramResult plain = Run({m_music.path()}, kEnglish);
    EXPECT_EQ(plain.status, 0);
    EXPECT_THAT(plain.err, EndsWith("sortune: 1 renamed, 0 linked, 0 dead links deleted, 0 kept, "
                                    "0 failed\nsortune: 8 audio files of other formats (FLAC, "
                                    "Ogg, M4A, APE, ...) left; --all-formats (-A) or the "
                                    "window's \"all audio formats\" item takes them too\n"));
    EXPECT_EQ(Run({"--undo"}).status, 0);
    EXPECT_EQ(Names(m_music.path()), before);

    const ProgramResult all = Run({"-A", m_music.path()}, kEnglish);
    EXPECT_EQ(all.status, 0);
    EXPECT_THAT(all.err, EndsWith("8 renamed, 0 linked, 0 dead links deleted, 1 kept, 0 failed\n"));
    EXPECT_THAT(Names(m_music.path()),
                ElementsAre("h.mp4", "一千年以后.wv", "吻别.ogg", "小雨.mp3", "心雨.opus",
                            "爱你一万年.m4a", "童话.flac", "红豆.ape", "红豆.oga"));
    EXPECT_EQ(Run({"--undo"}).status, 0);
    EXPECT_EQ(Names(m_music.path()), before);
}

// With -A, -t repairs the raw GBK of FLAC and Ogg comments and APE tags too; the preview shows
// it, and --undo gives the files' bytes back under their old names.
TEST_F(SortuneTest, FixTagsRepairsFlacOggAndApeTagsAndUndoGivesTheBytesBack) {
    const std::string flac = FlacBytes({"TITLE=\xCD\xAF\xBB\xB0", "ARTIST=Guang"}, 4096);  // 童话
    const std::string ape =
        MonkeysAudioBytes(ApeTagBytes({{"Title", "\xBA\xEC\xB6\xB9"}}));  // 红豆
    WriteFile(m_music / "a.flac", flac);
    WriteFile(m_music / "b.ape", ape);
    const std::string ogg = SampleBytes("gbk.opus");  // 一夜
    WriteFile(m_music / "c.opus", ogg);

    const ProgramResult preview = Run({"-n", "-t", "-A", m_music.path()});
    EXPECT_THAT(preview.out, HasSubstr("retag\t" + (m_music / "a.flac") + "\ttitle\tÍ¯»°\t童话\n"));
    EXPECT_THAT(preview.out, HasSubstr("retag\t" + (m_music / "b.ape") + "\ttitle\tºì¶¹\t红豆\n"));
    const ProgramResult run = Run({"-t", "-A", m_music.path()});
    EXPECT_THAT(run.err, EndsWith("失败 0，修复标签 3\n"));
    ASSERT_THAT(Names(m_music.path()), ElementsAre("一夜.opus", "童话.flac", "红豆.ape"));
    EXPECT_EQ(ReadFile(m_music / "童话.flac").size(), flac.size()) << "the padding took it";
    EXPECT_NE(ReadFile(m_music / "童话.flac").find("TITLE=童话"), std::string::npos);
    EXPECT_NE(ReadFile(m_music / "红豆.ape").find(std::string("Title\0红豆", 12)),
              std::string::npos);

    EXPECT_EQ(Run({"--undo"}).status, 0);
    EXPECT_THAT(Names(m_music.path()), ElementsAre("a.flac", "b.ape", "c.opus"));
    EXPECT_TRUE(ReadFile(m_music / "a.flac") == flac);
    EXPECT_TRUE(ReadFile(m_music / "b.ape") == ape);
    EXPECT_TRUE(ReadFile(m_music / "c.opus") == ogg);
}

// `sortune -r ~` leaves other programs' data and the trash alone, and says so.
TEST_F(SortuneTest, ARecursiveRunPassesOverHiddenFoldersAndCountsThem) {
    Song("歌/a.mp3", "小雨");
    Song(".cache/b.mp3", "心雨");
    Song(".local/share/Trash/files/c.mp3", "红豆");

    const ProgramResult outcome = Run({"-r", m_music.path()});

    EXPECT_EQ(outcome.status, 0);
    EXPECT_THAT(
        outcome.err,
        EndsWith(
            "sortune: 重命名 1，链接 0，删除失效链接 0，保留 0，失败 0；跳过隐藏文件夹 2 个\n"));
    EXPECT_TRUE(fs::exists(m_music / "歌/小雨.mp3"));
    EXPECT_TRUE(fs::exists(m_music / ".cache/b.mp3"));
    EXPECT_TRUE(fs::exists(m_music / ".local/share/Trash/files/c.mp3"));
}

TEST_F(SortuneTest, RecursiveOptionsOverrideTheStoredOneForThisRunOnly) {
    struct Case {
        int stored;
        std::vector<std::string> options;
        bool subOrganized;
    };
    const Case cases[] = {
        {0, {}, false},
        {0, {"-r"}, true},
        {0, {"--recursive"}, true},
        {1, {}, true},
        {1, {"--no-recursive"}, false},
        {1, {"-r", "--no-recursive"}, false},
    };
    for (const Case& c : cases) {
        fs::remove_all(m_music / "sub");
        fs::remove(m_music / "乙.mp3");
        Song("sub/s.mp3", "甲");
        Song("top.mp3", "乙");
        WriteProfileInt("Set", "FindPath", c.stored);
        std::vector<std::string> args = c.options;
        args.push_back(m_music.path());

        EXPECT_EQ(Run(args).status, 0);

        const std::string shown = testing::PrintToString(args);
        EXPECT_EQ(fs::exists(m_music / "sub/甲.mp3"), c.subOrganized) << shown;
        EXPECT_TRUE(fs::exists(m_music / "乙.mp3")) << shown;
        EXPECT_EQ(GetProfileInt("Set", "FindPath", 7), static_cast<unsigned>(c.stored)) << shown;
    }
}

TEST_F(SortuneTest, VerboseWritesEachStepAsDoneAndQuietOnlyWhatMatters) {
    Song("a.mp3", "小雨");
    Song("b.mp3", "小雨");
    const std::string d = m_music.path() + "/";

    const ProgramResult verbose = Run({"-v", m_music.path()});
    EXPECT_EQ(verbose.status, 0);
    const bool aFirst = verbose.out.starts_with("rename\t" + d + "a.mp3");
    const std::string renamed = aFirst ? "a.mp3" : "b.mp3";
    const std::string kept = aFirst ? "b.mp3" : "a.mp3";
    EXPECT_EQ(verbose.out, "rename\t" + d + renamed + "\t" + d + "小雨.mp3\n" + "keep\t" + d +
                               kept + "\tname taken\n");

    fs::remove(m_music / "小雨.mp3");
    const ProgramResult quiet = Run({"-q", m_music.path()});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(quiet.err, "sortune: 重命名 1，链接 0，删除失效链接 0，保留 0，失败 0\n");
}

// The run writes each step to a pipe nobody reads until the signal is sent: it cannot get far
// (a pipe holds 64 KiB) and it cannot end before the signal, whatever the machine's speed.
TEST_F(SortuneTest, CtrlCStopsTheRunBetweenTwoFiles) {
    constexpr int kFiles = 600;
    const std::string padding(150, 'x');
    for (int i = 0; i < kFiles; ++i) {
        const std::string number = std::to_string(1000 + i);
        ASSERT_TRUE(WriteMp3(m_music / (padding + number + ".mp3"), Titled("t" + number)));
    }

    RunningProgram program(SORTUNE_EXECUTABLE, {"-v", m_music.path()}, kEnglish);
    ASSERT_TRUE(program.WaitForError("开始整理\n"));  // the pass has begun
    kill(program.Pid(), SIGINT);
    const ProgramResult outcome = program.Finish();

    EXPECT_EQ(outcome.status, 130);
    std::smatch match;
    ASSERT_TRUE(std::regex_search(outcome.err, match,
                                  std::regex("sortune: stopped by SIGINT after ([0-9]+) of 600 "
                                             "files\n$")))
        << outcome.err;
    const int done = std::stoi(match[1]);
    EXPECT_LT(done, kFiles);
    int renamed = 0;
    for (const std::string& name : Names(m_music.path())) {
        renamed += name.starts_with("t") ? 1 : 0;
    }
    EXPECT_EQ(renamed, done);
    EXPECT_EQ(CountOf(outcome.out, "\n"), done);
    EXPECT_THAT(outcome.err, HasSubstr("sortune: " + std::to_string(done) + " renamed"));
}

// A walk over a cold disk: the program is held for 0.6 s again and again, so that most
// folders are entered long after the one that holds them (every such folder wants a caption).
TEST_F(SortuneTest, ProgressOnAPipeIsAtMostALineASecond) {
    for (int i = 0; i < 1500; ++i) {
        fs::create_directory(m_music / ("d" + std::to_string(i)));
    }
    Song("d7/a.mp3", "小雨");

    const auto start = Clock::now();
    RunningProgram program(SORTUNE_EXECUTABLE, {"-r", m_music.path()});
    siginfo_t info{};
    do {
        usleep(10'000);
        kill(program.Pid(), SIGSTOP);
        usleep(600'000);
        kill(program.Pid(), SIGCONT);
        info.si_pid = 0;
    } while (waitid(P_PID, static_cast<id_t>(program.Pid()), &info, WEXITED | WNOHANG | WNOWAIT) ==
                 0 &&
             info.si_pid == 0);
    const ProgramResult outcome = program.Finish();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    EXPECT_EQ(outcome.status, 0);
    EXPECT_THAT(outcome.err,
                EndsWith("mp3名称整理 - 1个文件整理完毕\n"
                         "sortune: 重命名 1，链接 0，删除失效链接 0，保留 0，失败 0\n"));
    // The start and end of the pass and the summary, and at most one line a second besides.
    EXPECT_LE(CountOf(outcome.err, "\n"), 3 + static_cast<int>(seconds) + 1) << seconds << " s\n"
                                                                             << outcome.err;
    EXPECT_EQ(CountOf(outcome.err, "\r"), 0);
}

TEST_F(SortuneTest, ProgressOnATerminalIsOneLineThatRewritesItself) {
    for (int i = 0; i < 300; ++i) {
        Song("专辑" + std::to_string(i % 30) + "/t" + std::to_string(i) + ".mp3",
             "歌" + std::to_string(i));
    }
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(terminal, 0);
    termios mode{};
    ASSERT_EQ(tcgetattr(terminal, &mode), 0);
    cfmakeraw(&mode);  // the bytes as written, no "\r\n" for "\n"
    ASSERT_EQ(tcsetattr(terminal, TCSANOW, &mode), 0);
    const winsize size{24, 60, 0, 0};
    ASSERT_EQ(ioctl(master, TIOCSWINSZ, &size), 0);

    const auto start = Clock::now();
    RunningProgram program(SORTUNE_EXECUTABLE, {"-r", m_music.path()}, {}, terminal);
    close(terminal);
    std::string err;
    char buffer[4096];
    for (ssize_t got; (got = read(master, buffer, sizeof buffer)) > 0;) {
        err.append(buffer, static_cast<std::size_t>(got));
    }
    close(master);
    const ProgramResult outcome = program.Finish();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    EXPECT_EQ(outcome.status, 0);
    // Three lines stay: the start and the end of the pass, and the summary.
    EXPECT_EQ(CountOf(err, "\n"), 3) << err;
    EXPECT_THAT(err, StartsWith("mp3名称整理 - 300个文件开始整理\n\rmp3名称整理 - 1/300 "));
    EXPECT_THAT(err, EndsWith("\r\x1b[Kmp3名称整理 - 300个文件整理完毕\n"
                              "sortune: 重命名 300，链接 0，删除失效链接 0，保留 0，失败 0\n"));
    // Each rewrite starts with "\r" and ends by erasing the rest of the line; at most ten a
    // second.
    EXPECT_LE(CountOf(err, "\x1b[K"), 10 * static_cast<int>(seconds) + 10 + 1) << seconds;
    std::istringstream rewrites(err);
    for (std::string part; std::getline(rewrites, part, '\r');) {
        const std::string shown = part.substr(0, part.find("\x1b[K"));
        EXPECT_LE(DisplayWidth(shown), 59) << shown;
    }
}

TEST_F(SortuneTest, WmaTitlesComeFromTheWmaModuleBesideTheProgram) {
    ASSERT_TRUE(WriteWma(m_music / "track.WMA", "小雨", "歌手甲", ""));

    EXPECT_EQ(Run({m_music / "track.WMA"}).status, 0);

    EXPECT_THAT(Names(m_music.path()), ElementsAre("小雨.wma"));
}

// WMA text is Unicode, not Big5: a traditional title (愛 lies outside GB2312) is never taken
// for Big5 bytes, only simplified, as its Big5 form would be.
TEST_F(SortuneTest, TraditionalWmaTitlesAreSimplified) {
    ASSERT_TRUE(WriteWma(m_music / "track.wma", "愛情", "", ""));

    EXPECT_EQ(Run({m_music / "track.wma"}).status, 0);

    EXPECT_THAT(Names(m_music.path()), ElementsAre("爱情.wma"));
}

// Without the WMA module the WMA files keep their names and the MP3 files are still organized.
TEST_F(SortuneTest, WithoutTheWmaModuleOnlyMp3FilesAreRenamed) {
    TempDir alone;
    const std::string program = alone / "sortune";
    fs::copy_file(SORTUNE_EXECUTABLE, program);
    ASSERT_TRUE(WriteWma(m_music / "track.wma", "小雨", "歌手甲", ""));
    Song("track.mp3", "春天");
    const auto before = HashFileContents(m_music.path());

    EXPECT_EQ(RunProgram(program, {m_music / "track.mp3"}).status, 0);

    EXPECT_THAT(Names(m_music.path()), ElementsAre("track.wma", "春天.mp3"));
    EXPECT_EQ(HashFileContents(m_music.path()), before);
}

}  // namespace
