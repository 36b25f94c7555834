#include "app/headlesshost.h"

#include "app/messages.h"
#include "app/stopsignal.h"
#include "organizer/previewexecutor.h"
#include "platform/absolutepath.h"
#include "platform/messagebox.h"

HeadlessHost::HeadlessHost(PlanExecutor& executor, const ChineseConverter& converter,
                           SettingsStore& settings, ProgressLine& progress, std::ostream& steps,
                           Options options)
    : m_recent(settings),
      m_progress(progress),
      m_steps(steps),
      m_options(options),
      m_tallying(executor, [this](const PlanStep& step,
                                  const StepOutcome& outcome) { OnStep(step, outcome); }),
      m_engine(*this, m_tallying, converter) {}

RunReport HeadlessHost::Organize(const std::string& folder) {
    m_tallying.ResetTally();
    m_report = {};
    m_strPassCaption.clear();
    m_strFolder.clear();
    m_engine.StartRun(folder);
    m_report.tally = m_tallying.Tally();
    m_report.stopSignal = StopSignal();
    return m_report;
}

void HeadlessHost::AddFolder(const std::string& folder) {
    if (m_options.recordFolders) {
        m_recent.AddFolder(folder);
    }
}

void HeadlessHost::SetWindowText(const std::string& caption) {
    switch (m_phase) {
        case Phase::PassStarting:
            m_progress.Note(caption);
            m_phase = Phase::Pass;
            break;
        case Phase::Pass:
            // On a terminal the live line shows the files done instead.
            m_strPassCaption = caption;
            if (m_progress.GetMode() != ProgressLine::Mode::Terminal) {
                m_progress.Show(caption);
            }
            break;
        case Phase::Walk:
        case Phase::Idle:
            m_progress.Show(caption);
            break;
    }
}

void HeadlessHost::DrawProgress(int pos, int total) {
    if (pos == 0) {
        return;
    }
    m_report.filesDone = pos;
    m_report.filesTotal = total;
    if (m_progress.GetMode() == ProgressLine::Mode::Terminal) {
        const std::string counts = messages::Progress(pos, total);
        m_progress.Show(counts +
                        ShortenFromLeft(m_strFolder, m_progress.Width() - DisplayWidth(counts)));
    }
}

void HeadlessHost::SetBusy(int running, int setIcon) {
    if (running == 0) {
        // The end of the pass (told twice: by the pass, then by the run): its last caption
        // stays, a walk's progress goes.
        if (m_strPassCaption.empty()) {
            m_progress.Clear();
        } else {
            m_progress.Note(m_strPassCaption);
            m_strPassCaption.clear();
        }
        m_phase = Phase::Idle;
    } else {
        m_phase = setIcon != 0 ? Phase::PassStarting : Phase::Walk;
    }
}

bool HeadlessHost::AskYesNo(const std::string& question) {
    m_progress.Clear();
    return AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void HeadlessHost::PumpOneMessage() {
    if (StopSignal() != 0) {
        m_engine.State().m_bRunning = 0;
    }
}

void HeadlessHost::OnStep(const PlanStep& step, const StepOutcome& outcome) {
    m_strFolder = ParentFolder(step.path);
    if (outcome.Failed()) {
        m_progress.Print(messages::StepFailed(step, outcome.error));
    }
    if (m_options.verbose) {
        m_progress.Clear();
        m_steps << FormatStep(outcome.step) << '\n';
    }
}
