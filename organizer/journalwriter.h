#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "organizer/changerecorder.h"
#include "organizer/journal.h"
#include "organizer/trackdiscovery.h"
#include "platform/appendfile.h"

// Writes the journal of one run into its file. Every line is handed to the system with one
// write(2) before the change it announces is made, so a killed process loses nothing of what
// it did; a change's mark goes out with the next line (or the end), which saves a write per
// change: a mark that never went out leaves the change to be checked on disk, as after a
// crash. The file is synced at most once a second while the run goes on, and at its end.
class JournalWriter : public ChangeRecorder {
public:
    explicit JournalWriter(TickSource tick) : tick_(std::move(tick)) {}

    // Creates the journal `path` (which must not exist) and writes its header. Returns 0 or an
    // errno.
    int Create(const std::string& path, const JournalHeader& header);
    bool IsOpen() const { return file_.IsOpen(); }
    const std::string& Path() const { return path_; }
    std::size_t Changes() const { return count_; }

    int Intend(const Change& change, std::size_t& number) override;
    void Settle(std::size_t number, bool made) override;

    // Writes the end (unless `complete` is false: the journal then reads as cut short), syncs
    // and closes. The journal of a run that made no change is removed: there is nothing to
    // take back (an undo's stays, to tell that its run was taken back). Returns 0 or the errno
    // of the first failed write.
    int Finish(bool complete = true);
    // Closes and removes the journal: what it tells is not to count (an undo that took
    // nothing back leaves its run to be taken back later). Only for a journal of no change
    // made.
    void Discard();

private:
    void SyncNowAndThen();

    AppendFile file_;
    std::string path_;
    TickSource tick_;
    std::string pendingMark_;
    std::string lines_;
    JournalKind kind_ = JournalKind::Run;
    std::size_t count_ = 0;
    std::size_t made_ = 0;
    std::uint32_t lastSync_ = 0;
    int error_ = 0;
};
