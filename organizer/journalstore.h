#pragma once

#include <string>
#include <vector>

#include "organizer/journal.h"
#include "organizer/journalwriter.h"
#include "platform/folderlock.h"

// The folder of the journals, `$XDG_STATE_HOME/sortune/runs/` by default: one file for each
// run, undo and redo, named "0000000042-20261207T081025.123456Z-4242.journal": a number one
// above the highest in the folder, the time it started in UTC, the process. Journals are
// ordered by their number, so neither a time zone nor a clock set back can reorder them.
// Only the newest kKeep journals are kept.
class JournalStore {
public:
    static constexpr std::size_t kKeep = 50;

    // The journals in `folder`, made when the first journal is begun.
    explicit JournalStore(std::string folder) : folder_(std::move(folder)) {}
    // The user's journal folder; "" when no home folder is known.
    static std::string DefaultFolder();

    const std::string& Folder() const { return folder_; }

    // Locks the store, making its folder first: a run holds it shared, so that runs over
    // other folders go on side by side; an undo or redo holds it alone, so that it never
    // takes back a run still making changes, nor races another undo. Returns 0, EWOULDBLOCK
    // when another process holds a lock this one may not share, or an errno.
    int Lock(FolderLock::Kind kind, FolderLock& lock) const;

    // Starts the journal of a new run in `writer`, stamping the header with the time and the
    // process; drops the oldest journals beyond kKeep. Returns 0 or an errno.
    int Begin(JournalHeader header, JournalWriter& writer);

    // Every journal of the folder, oldest first; files that are no journal are left out.
    std::vector<Journal> Load() const;

private:
    // Makes the folder where missing, and checks it is the user's own and private. Returns 0
    // or an errno.
    int ReadyFolder() const;
    // Drops the oldest journals beyond kKeep; never `newest`, the journal just begun.
    void Prune(const std::string& newest) const;
    std::vector<std::string> Names() const;

    std::string folder_;
};

// True when a complete journal takes `journal` back: an undo for a run or a redo, a redo for
// an undo.
bool WasTakenBack(const std::vector<Journal>& journals, const Journal& journal);

// The journal an undo takes back: the newest run or redo, not damaged, that changed anything
// and that no complete undo has taken back. Null when there is none.
const Journal* LatestToUndo(const std::vector<Journal>& journals);
// The journal a redo takes back: the newest complete undo that no complete redo has taken
// back, when no run came after it. Null when there is none.
const Journal* LatestToRedo(const std::vector<Journal>& journals);

// The journals that together make the work of `target`, newest first: `target` itself and,
// for an undo or a redo, every one of the same kind cut short before it over the same
// journal (a stopped undo that a second one finished), so that taking the work back takes
// back every change of it, whichever process made it.
std::vector<const Journal*> PartsOf(const std::vector<Journal>& journals, const Journal& target);

// The newest journal with a damaged line, or null. Undo and redo never pass over one: what it
// tells can be neither trusted nor left out.
const Journal* NewestDamaged(const std::vector<Journal>& journals);
