#include "organizer/journalwriter.h"

#include "platform/folders.h"

namespace {

constexpr std::uint32_t kSyncInterval = 1000;  // ms between two syncs during a run

}  // namespace

int JournalWriter::Create(const std::string& path, const JournalHeader& header) {
    if (const int error = m_file.Create(path)) {
        return error;
    }
    m_strPath = path;
    m_kind = header.kind;
    m_count = 0;
    m_strPendingMark.clear();
    m_lastSync = m_tick();
    m_error = m_file.Append(FormatHeader(header));
    return m_error;
}

int JournalWriter::Intend(const JournalChange& change, std::size_t& number) {
    if (!m_file.IsOpen()) {
        return EBADF;
    }
    number = m_count + 1;
    const int error = m_file.Append(m_strPendingMark + FormatIntent(number, change));
    if (error != 0) {
        m_error = m_error != 0 ? m_error : error;
        return error;
    }
    m_strPendingMark.clear();
    m_count = number;
    SyncNowAndThen();
    return 0;
}

void JournalWriter::Settle(std::size_t number, bool made) {
    m_strPendingMark = FormatMark(number, made);
}

void JournalWriter::SyncNowAndThen() {
    const std::uint32_t now = m_tick();
    if (now - m_lastSync >= kSyncInterval) {
        m_file.Sync();
        m_lastSync = now;
    }
}

int JournalWriter::Finish(bool complete) {
    if (!m_file.IsOpen()) {
        return m_error;
    }
    if (m_count == 0 && m_kind == JournalKind::Run) {
        m_file.Close();
        RemoveFile(m_strPath);
        return m_error;
    }
    const int error = m_file.Append(m_strPendingMark + (complete ? FormatEnd() : std::string()));
    const int syncError = m_file.Sync();
    const int closeError = m_file.Close();
    for (const int e : {error, syncError, closeError}) {
        m_error = m_error != 0 ? m_error : e;
    }
    return m_error;
}
