#pragma once

#include <string>

#include "app/commandoptions.h"
#include "app/progressline.h"
#include "organizer/conversiontables.h"

// The folder a PATH of the command line organizes: the folder it names, or the folder that
// holds the file it names (the file manager passes a file). The PATH is made absolute first
// and tidied ("DIR/." is DIR). Returns 0 and sets `folder`, or the errno that says why the
// PATH leads to no folder that can be listed.
int StartFolderOf(const std::string& path, std::string& folder);

// The progress of a command-line start, on standard error: none when `quiet`, one live line
// on a terminal, lines now and then elsewhere.
ProgressLine ProgressOnStandardError(bool quiet);

// The program started with paths and without a window, with the tables the program loaded:
// checks the system language, reads the options from the settings (-r, --no-recursive and -a
// override them for this start), binds the WMA module and organizes the folder of each PATH
// in turn, each as a run of its own, reporting progress, refused steps and a summary on
// standard error. With --dry-run nothing is changed (no file, no setting) and each decision
// is written to standard output. Returns the exit status: 0 when nothing failed, 1 when the
// language is refused, a PATH could not be organized or a step failed, 128 + the signal
// number when a stop signal ended the runs.
int RunCommandLineStart(const CommandOptions& options, const ConversionTables& tables);
