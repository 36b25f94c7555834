#include "app/headlesshost.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/stopsignal.h"
#include "organizer/conversiontables.h"
#include "organizer/diskexecutor.h"
#include "tests/support/loadedtables.h"
#include "tests/support/memorysection.h"
#include "tests/support/mp3writer.h"
#include "tests/support/tempdir.h"
#include "tests/support/unprivileged.h"

namespace {

using ::testing::HasSubstr;

bool Song(const std::string& path, const std::string& title) {
    Mp3Fixture song;
    song.id3v1.emplace();
    song.id3v1->title = title;
    return WriteMp3(path, song);
}

// A run over a real folder with a host writing into strings, on a clock that moves 150 ms
// each time it is read, so that every update is shown.
class HeadlessHostTest : public ::testing::Test {
protected:
    TempDir m_dir;
    MemorySection m_section;
    SettingsStore m_settings{m_section};
    std::ostringstream m_err;
    std::ostringstream m_out;
    std::uint32_t m_now = 0;
    const ChineseConverter m_converter{LoadedTables()};
    DiskExecutor m_disk;

    HeadlessHost::Options m_options{.recordFolders = true, .verbose = true};

    RunReport Organize(ProgressLine::Mode mode) {
        ProgressLine progress(m_err, mode, 60, [this] { return m_now += 150; });
        HeadlessHost host(m_disk, m_converter, m_settings, progress, m_out, m_options);
        return host.Organize(m_dir.path());
    }
};

TEST_F(HeadlessHostTest, CountsAndWritesEachStepAsDone) {
    ASSERT_TRUE(Song(m_dir / "a.mp3", "rain"));
    ASSERT_TRUE(Song(m_dir / "rain.mp3", "rain"));
    std::ofstream(m_dir / "untagged.mp3") << "no tag";
    ASSERT_EQ(symlink("gone.mp3", (m_dir / "dead.mp3.lnk").c_str()), 0);

    const RunReport report = Organize(ProgressLine::Mode::Lines);

    const std::string d = m_dir.path() + "/";
    EXPECT_THAT(m_out.str(), HasSubstr("delete\t" + d + "dead.mp3.lnk\n"));
    EXPECT_THAT(m_out.str(), HasSubstr("keep\t" + d + "untagged.mp3\tno title\n"));
    EXPECT_THAT(m_out.str(), HasSubstr("keep\t" + d + "rain.mp3\tsame name\n"));
    EXPECT_THAT(m_out.str(), HasSubstr("keep\t" + d + "a.mp3\tname taken\n"));
    const std::string out = m_out.str();
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 4);
    const RunTally& t = report.tally;
    EXPECT_EQ((std::vector<int>{t.renamed, t.linked, t.deleted, t.kept, t.failed}),
              (std::vector<int>{0, 0, 1, 3, 0}));
    EXPECT_EQ(report.filesDone, 3);
    EXPECT_EQ(report.filesTotal, 3);
    EXPECT_EQ(report.stopSignal, 0);
    EXPECT_EQ(m_settings.RecentPath(0), m_dir.path());
    EXPECT_THAT(m_err.str(), testing::EndsWith("mp3名称整理 - 3个文件整理完毕\n"));
}

TEST_F(HeadlessHostTest, OnATerminalThePassShowsFilesDoneAndTheFolder) {
    std::filesystem::create_directory(m_dir / "专辑");
    ASSERT_TRUE(Song(m_dir / "专辑/a.mp3", "rain"));
    ASSERT_TRUE(Song(m_dir / "专辑/b.mp3", "snow"));
    m_options.verbose = false;
    m_options.recordFolders = false;

    ProgressLine progress(m_err, ProgressLine::Mode::Terminal, 30, [this] { return m_now += 150; });
    HeadlessHost host(m_disk, m_converter, m_settings, progress, m_out, m_options);
    host.Engine().State().m_bSubfolders = 1;
    host.Organize(m_dir.path());

    // The second file shows the folder of the first one handled; the path is cut at its start.
    const std::string err = m_err.str();
    EXPECT_THAT(err, HasSubstr("mp3名称整理 - 2个文件开始整理\n"));
    EXPECT_THAT(err, HasSubstr("\rmp3名称整理 - 1/2 \x1b[K"));
    EXPECT_THAT(err, HasSubstr("\rmp3名称整理 - 2/2 …"));
    EXPECT_THAT(err, HasSubstr("/专辑\x1b[K"));
    EXPECT_THAT(err, testing::EndsWith("\r\x1b[Kmp3名称整理 - 2个文件整理完毕\n"));
    EXPECT_EQ(m_out.str(), "");
    EXPECT_EQ(m_settings.RecentPath(0), "") << "recording the folders was not asked for";
}

TEST_F(HeadlessHostTest, RefusedStepsAreReportedWithPathAndReason) {
    std::filesystem::create_directory(m_dir / "locked");
    ASSERT_TRUE(Song(m_dir / "locked/a.mp3", "rain"));
    ASSERT_EQ(chmod((m_dir / "locked").c_str(), 0555), 0);
    const std::string locked = m_dir / "locked";

    const int failed = RunUnprivileged(m_dir.path(), [&] {
        ProgressLine progress(m_err, ProgressLine::Mode::Lines, 0, [] { return 0u; });
        HeadlessHost host(m_disk, m_converter, m_settings, progress, m_out, m_options);
        const RunReport report = host.Organize(locked);
        const std::string expected = "sortune: cannot rename '" + locked + "/a.mp3' to '" + locked +
                                     "/rain.mp3': Permission denied\n";
        const bool reported = m_err.str().find(expected) != std::string::npos &&
                              m_out.str() == "keep\t" + locked + "/a.mp3\tfolder not writable\n";
        return reported ? report.tally.failed : -1;
    });
    EXPECT_EQ(failed, 1);
}

// Ctrl-C arrives while the second file is being handled.
class InterruptingExecutor : public DiskExecutor {
public:
    Outcome Execute(const Change& step) override {
        if (++m_steps == 2) {
            raise(SIGINT);
        }
        return DiskExecutor::Execute(step);
    }

private:
    int m_steps = 0;
};

void OrganizeUntilInterrupted(const std::string& folder) {
    const ChineseConverter converter(LoadedTables());
    InterruptingExecutor executor;
    MemorySection section;
    SettingsStore settings(section);
    ProgressLine progress(std::cerr, ProgressLine::Mode::Lines, 0, [] { return 0u; });
    HeadlessHost host(executor, converter, settings, progress, std::cout, {});
    InstallStopSignals();
    const RunReport report = host.Organize(folder);
    const bool stopped = report.stopSignal == SIGINT && report.filesDone == 3 &&
                         report.filesTotal == 6 && report.tally.renamed == 3;
    std::exit(stopped ? 0 : 1);
}

TEST(HeadlessHostDeathTest, CtrlCStopsTheRunBeforeTheNextFile) {
    TempDir dir;
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(
            Song(dir / ("track" + std::to_string(i) + ".mp3"), "title" + std::to_string(i)));
    }

    // The message of the file being handled when the signal came is dispatched before the
    // next file, which is still handled, as after a press of the Open button.
    EXPECT_EXIT(OrganizeUntilInterrupted(dir.path()), ::testing::ExitedWithCode(0),
                "mp3名称整理 - 3个文件整理完毕");

    int renamed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        renamed += entry.path().filename().string().starts_with("title") ? 1 : 0;
    }
    EXPECT_EQ(renamed, 3);
}

}  // namespace
