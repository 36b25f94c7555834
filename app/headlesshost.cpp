#include "app/headlesshost.h"

#include "app/messages.h"
#include "app/stopsignal.h"
#include "platform/absolutepath.h"
#include "platform/messagebox.h"

HeadlessHost::HeadlessHost(ChangeExecutor& executor, const ChineseConverter& converter,
                           SettingsStore& settings, ProgressLine& progress, std::ostream& steps,
                           Options options)
    : recent_(settings),
      progress_(progress),
      steps_(steps),
      options_(options),
      tallying_(executor,
                [this](const Change& change, const Outcome& outcome) { OnStep(change, outcome); }),
      engine_(*this, tallying_, converter) {}

RunReport HeadlessHost::Organize(const std::string& folder) {
    tallying_.ResetTally();
    report_ = {};
    passCaption_.clear();
    folder_.clear();
    engine_.StartRun(folder);
    report_.tally = tallying_.Tally();
    report_.stopSignal = StopSignal();
    report_.hiddenFolders = engine_.State().m_nHiddenFolders;
    report_.otherFormats = engine_.State().m_nOtherFormats;
    return report_;
}

void HeadlessHost::AddFolder(const std::string& folder) {
    if (options_.recordFolders) {
        recent_.AddFolder(folder);
    }
}

void HeadlessHost::SetWindowText(const std::string& caption) {
    switch (phase_) {
        case Phase::PassStarting:
            progress_.Note(caption);
            phase_ = Phase::Pass;
            break;
        case Phase::Pass:
            // On a terminal the live line shows the files done instead.
            passCaption_ = caption;
            if (progress_.GetMode() != ProgressLine::Mode::Terminal) {
                progress_.Show(caption);
            }
            break;
        case Phase::Walk:
        case Phase::Idle:
            progress_.Show(caption);
            break;
    }
}

void HeadlessHost::DrawProgress(int pos, int total) {
    if (pos == 0) {
        return;
    }
    report_.filesDone = pos;
    report_.filesTotal = total;
    if (progress_.GetMode() == ProgressLine::Mode::Terminal) {
        const std::string counts = messages::Progress(pos, total);
        progress_.Show(counts + ShortenFromLeft(folder_, progress_.Width() - DisplayWidth(counts)));
    }
}

void HeadlessHost::RunEnded() {
    // The pass's last caption stays; a walk's progress goes.
    if (passCaption_.empty()) {
        progress_.Clear();
    } else {
        progress_.Note(passCaption_);
        passCaption_.clear();
    }
    phase_ = Phase::Idle;
}

bool HeadlessHost::AskYesNo(const std::string& question) {
    progress_.Clear();
    return AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void HeadlessHost::PumpOneMessage() {
    if (StopSignal() != 0) {
        engine_.State().m_bRunning = 0;
    }
}

void HeadlessHost::OnStep(const Change& change, const Outcome& outcome) {
    folder_ = ParentFolder(change.path);
    if (outcome.Failed()) {
        progress_.Print(messages::Line(messages::StepFailed(change, outcome.error)));
    }
    if (options_.verbose) {
        progress_.Clear();
        steps_ << FormatStep(outcome.change) << '\n';
    }
}
