#pragma once

#include <string>

#include "organizer/journalstore.h"
#include "organizer/journalwriter.h"
#include "organizer/runstate.h"

// Begins in `store` the journal of a run of `folder` with the options of `state`, so that
// the run can be taken back: what the command line and the window do before every real run
// (a run whose journal cannot be begun is not made). Returns 0 or an errno.
int BeginRunJournal(JournalStore& store, const std::string& folder, const RunState& state,
                    JournalWriter& journal);
