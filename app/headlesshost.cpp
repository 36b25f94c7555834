#include "app/headlesshost.h"

#include <cstdio>

#include "app/recentfolders.h"
#include "app/stopsignal.h"
#include "platform/messagebox.h"

HeadlessHost::HeadlessHost(PlanExecutor& executor, const ChineseConverter& converter,
                           bool recordFolders)
    : m_bRecordFolders(recordFolders), m_engine(*this, executor, converter) {}

void HeadlessHost::AddFolder(const std::string& folder) {
    if (m_bRecordFolders) {
        RecentFolders::AddFolder(folder);
    }
}

void HeadlessHost::SetWindowText(const std::string& caption) {
    std::fprintf(stderr, "%s\n", caption.c_str());
}

bool HeadlessHost::AskYesNo(const std::string& question) {
    return AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void HeadlessHost::PumpOneMessage() {
    if (StopSignal() != 0) {
        m_engine.State().m_bRunning = 0;
    }
}
