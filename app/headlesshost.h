#pragma once

#include <ostream>
#include <string>

#include "app/progressline.h"
#include "app/recentfolders.h"
#include "organizer/organizerengine.h"
#include "organizer/runhost.h"
#include "organizer/runtally.h"

// How one run without a window went.
struct RunReport {
    RunTally tally;
    int filesDone = 0;      // files of the pass handled
    int filesTotal = 0;     // files the walk found; 0 when the run ended before the pass
    int stopSignal = 0;     // the signal that stopped the run, 0 when it ran to its end
    int hiddenFolders = 0;  // sub-folders the walk did not enter for their leading dot
    int otherFormats = 0;   // audio files left for want of the all-formats option
};

// The host of organize runs without a window. The captions and the progress go to a
// ProgressLine (the captions keep the window's texts; on a terminal the pass shows files
// done of all and the folder being worked on instead of its counting captions); a step the
// system refused is reported with its path and reason; a verbose run writes each step as done
// in the preview's line format; a question gets the answer of the message box without a
// display (No); a stop signal (see stopsignal.h) clears the run flag when the run dispatches
// its next message. It owns the engine, as the dialog does.
class HeadlessHost : public RunHost {
public:
    struct Options {
        bool recordFolders = true;  // false for a preview: the recent folders stay as they are
        bool verbose = false;       // write each step carried out to `steps`
    };

    // Everything handed in must outlive the host.
    HeadlessHost(ChangeExecutor& executor, const ChineseConverter& converter,
                 SettingsStore& settings, ProgressLine& progress, std::ostream& steps,
                 Options options);

    OrganizerEngine& Engine() { return engine_; }

    // One run over `folder`, and how it went.
    RunReport Organize(const std::string& folder);

    void AddFolder(const std::string& folder) override;
    void SetWindowText(const std::string& caption) override;
    void DrawProgress(int pos, int total) override;
    void SetBusy(int, int) override {}
    void StartBusyTimer() override {}
    void KillBusyTimer() override {}
    bool AskYesNo(const std::string& question) override;
    void PumpOneMessage() override;
    void WalkStarted() override { phase_ = Phase::Walk; }
    void PassStarted() override { phase_ = Phase::PassStarting; }
    void RunEnded() override;

private:
    enum class Phase { Idle, Walk, PassStarting, Pass };

    void OnStep(const Change& change, const Outcome& outcome);

    RecentFolders recent_;
    ProgressLine& progress_;
    std::ostream& steps_;
    Options options_;
    TallyingExecutor tallying_;
    OrganizerEngine engine_;
    Phase phase_ = Phase::Idle;
    std::string passCaption_;  // the last caption of the pass, shown when it ends
    std::string folder_;       // the folder of the step handled last
    RunReport report_;
};
