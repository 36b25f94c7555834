#include "app/headlesshost.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>

#include "app/stopsignal.h"
#include "organizer/conversiontables.h"
#include "organizer/diskexecutor.h"
#include "platform/codepage.h"
#include "resources/embeddedresource.h"
#include "tests/support/mp3writer.h"
#include "tests/support/tempdir.h"

namespace {

// Ctrl-C arrives while the second file is being handled.
class InterruptingExecutor : public DiskExecutor {
public:
    void Execute(const PlanStep& step) override {
        if (++m_steps == 2) {
            raise(SIGINT);
        }
        DiskExecutor::Execute(step);
    }

private:
    int m_steps = 0;
};

void OrganizeUntilInterrupted(const std::string& folder) {
    ConversionTables tables;
    tables.Load(resources::FindResource);
    const ChineseConverter converter(tables);
    InterruptingExecutor executor;
    HeadlessHost host(executor, converter, false);
    InstallStopSignals();
    host.Engine().StartRun(folder);
    const bool stopped = StopSignal() == SIGINT && host.Engine().State().m_nRenamed == 3;
    std::exit(stopped ? 0 : 1);
}

TEST(HeadlessHostDeathTest, CtrlCStopsTheRunBeforeTheNextFile) {
    TempDir dir;
    for (int i = 0; i < 6; ++i) {
        Mp3Fixture song;
        song.id3v1.emplace();
        song.id3v1->title = "title" + std::to_string(i);
        ASSERT_TRUE(WriteMp3(dir / ("track" + std::to_string(i) + ".mp3"), song));
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
