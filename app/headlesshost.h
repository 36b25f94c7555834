#pragma once

#include "organizer/organizerengine.h"
#include "organizer/runhost.h"

// The host of an organize run without a window: each caption becomes a line on standard
// error, a question gets the answer of the message box without a display (No), and a stop
// signal (see stopsignal.h) clears the run flag when the run dispatches its next message.
// It owns the engine, as the dialog does.
class HeadlessHost : public RunHost {
public:
    // With `recordFolders` false (a preview) the recent folders are left as they are. The
    // executor and the converter must outlive the host.
    HeadlessHost(PlanExecutor& executor, const ChineseConverter& converter, bool recordFolders);

    OrganizerEngine& Engine() { return m_engine; }

    void AddFolder(const std::string& folder) override;
    void SetWindowText(const std::string& caption) override;
    void DrawProgress(int, int) override {}
    void SetBusy(int, int) override {}
    void StartBusyTimer() override {}
    void KillBusyTimer() override {}
    bool AskYesNo(const std::string& question) override;
    void PumpOneMessage() override;

private:
    bool m_bRecordFolders;
    OrganizerEngine m_engine;
};
