#pragma once

#include "app/commandoptions.h"

// --undo and --redo: take back the latest run, or the latest undo, as the journals in the
// user's journal folder tell them; with --dry-run only show what would be done. Changes that
// cannot be taken back are reported with their reason. Returns the exit status: 0 when all
// was taken back, 1 when nothing was there to take back, a change was skipped or the journal
// could not be written, 128 + the signal when stopped.
int RunUndoCommand(const CommandOptions& options);

// --history: one line per journal, oldest first. Returns the exit status (0).
int RunHistoryCommand();
