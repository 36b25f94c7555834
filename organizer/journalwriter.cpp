#include "organizer/journalwriter.h"

#include "platform/folders.h"

namespace {

constexpr std::uint32_t kSyncInterval = 1000;  // ms between two syncs during a run

}  // namespace

int JournalWriter::Create(const std::string& path, const JournalHeader& header) {
    if (const int error = file_.Create(path)) {
        return error;
    }
    path_ = path;
    kind_ = header.kind;
    count_ = 0;
    made_ = 0;
    pendingMark_.clear();
    lastSync_ = tick_();
    error_ = file_.Append(FormatHeader(header));
    return error_;
}

int JournalWriter::Intend(const Change& change, std::size_t& number) {
    if (!file_.IsOpen()) {
        return EBADF;
    }
    number = count_ + 1;
    // One write for the mark of the change before and this change's line; the buffer keeps
    // its room from one change to the next.
    lines_.assign(pendingMark_);
    AppendIntent(lines_, number, change);
    const int error = file_.Append(lines_);
    if (error != 0) {
        error_ = error_ != 0 ? error_ : error;
        return error;
    }
    pendingMark_.clear();
    count_ = number;
    SyncNowAndThen();
    return 0;
}

void JournalWriter::Settle(std::size_t number, bool made) {
    made_ += made ? 1 : 0;
    pendingMark_.clear();
    AppendMark(pendingMark_, number, made);
}

void JournalWriter::Discard() {
    if (file_.IsOpen()) {
        file_.Close();
        RemoveFile(path_);
    }
}

void JournalWriter::SyncNowAndThen() {
    const std::uint32_t now = tick_();
    if (now - lastSync_ >= kSyncInterval) {
        file_.Sync();
        lastSync_ = now;
    }
}

int JournalWriter::Finish(bool complete) {
    if (!file_.IsOpen()) {
        return error_;
    }
    if (made_ == 0 && kind_ == JournalKind::Run) {
        Discard();
        return error_;
    }
    const int error = file_.Append(pendingMark_ + (complete ? FormatEnd() : std::string()));
    const int syncError = file_.Sync();
    const int closeError = file_.Close();
    for (const int e : {error, syncError, closeError}) {
        error_ = error_ != 0 ? error_ : e;
    }
    return error_;
}
