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
    int filesDone = 0;   // files of the pass handled
    int filesTotal = 0;  // files the walk found; 0 when the run ended before the pass
    int stopSignal = 0;  // the signal that stopped the run, 0 when it ran to its end
};

// The host of organize runs without a window. The captions and the progress go to a
// ProgressLine (the specified captions keep their texts; on a terminal the pass shows files
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
    HeadlessHost(PlanExecutor& executor, const ChineseConverter& converter, SettingsStore& settings,
                 ProgressLine& progress, std::ostream& steps, Options options);

    OrganizerEngine& Engine() { return m_engine; }

    // One run over `folder`, and how it went.
    RunReport Organize(const std::string& folder);

    void AddFolder(const std::string& folder) override;
    void SetWindowText(const std::string& caption) override;
    void DrawProgress(int pos, int total) override;
    void SetBusy(int running, int setIcon) override;
    void StartBusyTimer() override {}
    void KillBusyTimer() override {}
    bool AskYesNo(const std::string& question) override;
    void PumpOneMessage() override;

private:
    enum class Phase { Idle, Walk, PassStarting, Pass };

    void OnStep(const PlanStep& step, const StepOutcome& outcome);

    RecentFolders m_recent;
    ProgressLine& m_progress;
    std::ostream& m_steps;
    Options m_options;
    TallyingExecutor m_tallying;
    OrganizerEngine m_engine;
    Phase m_phase = Phase::Idle;
    std::string m_strPassCaption;  // the last caption of the pass, shown when it ends
    std::string m_strFolder;       // the folder of the step handled last
    RunReport m_report;
};
