// The program itself, run as a user runs it: without a display, with its own settings folder.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/codepage.h"
#include "platform/profile.h"
#include "tests/support/contenthash.h"
#include "tests/support/fileio.h"
#include "tests/support/mp3writer.h"
#include "tests/support/scopedconfighome.h"
#include "tests/support/tempdir.h"
#include "tests/support/wmawriter.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        names.push_back(entry.path().lexically_relative(folder).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

Mp3Fixture Titled(const std::string& titleBytes) {
    Mp3Fixture song;
    song.id3v1.emplace();
    song.id3v1->title = titleBytes;
    return song;
}

class SortuneTest : public ::testing::Test {
protected:
    ScopedConfigHome m_config;  // the child inherits XDG_CONFIG_HOME
    TempDir m_music;
    TempDir m_output;

    // Runs the program with `args` in the locale `lang`, without a display.
    Outcome Run(const std::vector<std::string>& args, const std::string& lang = "zh_CN.UTF-8",
                const std::string& program = SORTUNE_EXECUTABLE) {
        const std::string out = m_output / "out";
        const std::string err = m_output / "err";
        const pid_t child = fork();
        if (child == 0) {
            setenv("LANG", lang.c_str(), 1);
            for (const char* name : {"LC_ALL", "LC_CTYPE", "DISPLAY", "WAYLAND_DISPLAY"}) {
                unsetenv(name);
            }
            const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(outFd, 1);
            dup2(errFd, 2);
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (const std::string& arg : args) {
                argv.push_back(const_cast<char*>(arg.c_str()));
            }
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        Outcome outcome;
        int status = 0;
        if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
            outcome.status = WEXITSTATUS(status);
        }
        outcome.out = ReadFile(out);
        outcome.err = ReadFile(err);
        return outcome;
    }
    void Song(const std::string& name, const std::string& titleUtf8) {
        fs::create_directories(fs::path(m_music / name).parent_path());
        ASSERT_TRUE(WriteMp3(m_music / name, Titled(codepage::Utf8ToCp936(titleUtf8))));
    }
    bool HasSettings() const { return fs::exists(m_config.HiveFile("HKEY_CURRENT_USER")); }
};

TEST_F(SortuneTest, OrganizesTheFolderOfThePathAndReportsOnStandardError) {
    Song("track01.mp3", "01.小雨");
    ASSERT_TRUE(WriteMp3(m_music / "track02.mp3", Titled("\xB7\x52\xB1\xA1")));  // Big5 愛情
    Song("sub/track03.mp3", "心雨");
    const auto contents = HashFileContents(m_music.path());

    const Outcome outcome = Run({m_music / "track01.mp3"});

    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "");
    EXPECT_THAT(outcome.err, StartsWith("mp3名称整理 - 2个文件开始整理\n"));
    EXPECT_THAT(outcome.err, testing::EndsWith("mp3名称整理 - 2个文件整理完毕\n"));
    EXPECT_THAT(Names(m_music.path()),
                ElementsAre("sub", "sub/track03.mp3", "小雨.mp3", "爱情.mp3"));
    EXPECT_EQ(HashFileContents(m_music.path()), contents);
}

TEST_F(SortuneTest, KeepsTheSettingsOfARun) {
    WriteProfileInt("Set", "FindPath", 1);
    WriteProfileInt("Set", "Artist_dir", 1);
    Song("sub/track03.mp3", "心雨");
    WriteProfileString("Set", "path0", "/elsewhere");

    EXPECT_EQ(Run({m_music / "sub"}).status, 0);

    // From the command line artist folders are never made: the file is renamed in place.
    EXPECT_THAT(Names(m_music.path()), ElementsAre("sub", "sub/心雨.mp3"));
    EXPECT_EQ(GetProfileString("Set", "ExePath"), fs::canonical(SORTUNE_EXECUTABLE).string());
    EXPECT_EQ(GetProfileString("Set", "path0"), m_music.path());
    EXPECT_EQ(GetProfileString("Set", "path1"), "/elsewhere");
}

TEST_F(SortuneTest, DryRunPrintsThePlanAndTouchesNothing) {
    Song("a.mp3", "小雨");
    Song("b.mp3", "小雨");
    Song("c.mp3", "c");
    std::ofstream(m_music / "untagged.mp3") << "no tag";
    ASSERT_EQ(symlink((m_music / "gone.mp3").c_str(), (m_music / "dead.mp3.lnk").c_str()), 0);
    const auto names = Names(m_music.path());
    const auto contents = HashFileContents(m_music.path());

    const Outcome outcome = Run({"--dry-run", m_music / "a.mp3"});

    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(Names(m_music.path()), names);
    EXPECT_EQ(HashFileContents(m_music.path()), contents);
    EXPECT_FALSE(HasSettings()) << "a preview writes no setting";
    const std::string d = m_music.path() + "/";
    EXPECT_THAT(outcome.out, HasSubstr("delete\t" + d + "dead.mp3.lnk\n"));
    EXPECT_THAT(outcome.out, HasSubstr("keep\t" + d + "c.mp3\tsame name\n"));
    EXPECT_THAT(outcome.out, HasSubstr("keep\t" + d + "untagged.mp3\tno title\n"));
    EXPECT_THAT(outcome.out, HasSubstr("\t" + d + "小雨.mp3\n"));
    EXPECT_THAT(outcome.out, HasSubstr("\tname taken\n"));
    EXPECT_EQ(std::count(outcome.out.begin(), outcome.out.end(), '\n'), 5);
}

TEST_F(SortuneTest, RefusesEveryLanguageButSimplifiedChinese) {
    Song("a.mp3", "小雨");
    for (const char* lang : {"en_US.UTF-8", "zh_TW.UTF-8", "C"}) {
        const Outcome outcome = Run({m_music / "a.mp3"}, lang);
        EXPECT_EQ(outcome.status, 1) << lang;
        EXPECT_EQ(outcome.err, "Sorry, Only work GB2312!\n") << lang;
    }
    EXPECT_THAT(Names(m_music.path()), ElementsAre("a.mp3"));
    EXPECT_FALSE(HasSettings());
}

TEST_F(SortuneTest, ExitStatusTellsWhatHappened) {
    Song("a.mp3", "小雨");
    const Outcome help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, StartsWith("Usage: sortune"));
    EXPECT_EQ(Run({"--version"}).status, 0);
    const Outcome none = Run({});
    EXPECT_EQ(none.status, 2);
    EXPECT_THAT(none.err, HasSubstr("give a PATH"));
    // A mistyped switch has no effect, but is named.
    const Outcome typo = Run({"--dryrun"});
    EXPECT_EQ(typo.status, 2);
    EXPECT_THAT(typo.err, HasSubstr("ignoring unknown option '--dryrun'"));

    // Too short to name a file: there is no folder to organize, and the program says so.
    const Outcome shortPath = Run({"/a/b.mp"});
    EXPECT_EQ(shortPath.status, 2);
    EXPECT_NE(shortPath.err.find("no folder to organize"), std::string::npos);
    EXPECT_THAT(Names(m_music.path()), ElementsAre("a.mp3"));
}

TEST_F(SortuneTest, WmaTitlesComeFromTheWmaModuleBesideTheProgram) {
    ASSERT_TRUE(WriteWma(m_music / "track.WMA", "小雨", "歌手甲", ""));

    EXPECT_EQ(Run({m_music / "track.WMA"}).status, 0);

    EXPECT_THAT(Names(m_music.path()), ElementsAre("小雨.wma"));
}

// WMA text is Unicode, not Big5: a traditional title (愛 lies outside GB2312) is neither taken
// for Big5 nor mangled by the conversion, and names the file as written.
TEST_F(SortuneTest, TraditionalWmaTitlesKeepTheirCharacters) {
    ASSERT_TRUE(WriteWma(m_music / "track.wma", "愛情", "", ""));

    EXPECT_EQ(Run({m_music / "track.wma"}).status, 0);

    EXPECT_THAT(Names(m_music.path()), ElementsAre("愛情.wma"));
}

// Without the WMA module the WMA files keep their names and the MP3 files are still organized.
TEST_F(SortuneTest, WithoutTheWmaModuleOnlyMp3FilesAreRenamed) {
    TempDir alone;
    const std::string program = alone / "sortune";
    fs::copy_file(SORTUNE_EXECUTABLE, program);
    ASSERT_TRUE(WriteWma(m_music / "track.wma", "小雨", "歌手甲", ""));
    Song("track.mp3", "春天");
    const auto before = HashFileContents(m_music.path());

    EXPECT_EQ(Run({m_music / "track.mp3"}, "zh_CN.UTF-8", program).status, 0);

    EXPECT_THAT(Names(m_music.path()), ElementsAre("track.wma", "春天.mp3"));
    EXPECT_EQ(HashFileContents(m_music.path()), before);
}

}  // namespace
