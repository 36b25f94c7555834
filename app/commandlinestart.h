#pragma once

#include <string>

#include "platform/commandline.h"

// The folder a command-line start organizes, or "" when the argument asks for no run. An
// argument longer than 7 bytes that holds a '/' names a file (or folder), and the folder that
// holds it is organized; a relative one is taken from the current folder, so that the run's
// folder and the paths its walk finds are written alike.
std::string StartFolderOf(const std::string& argument);

// The program started with a path and without a window: checks the system language, reads
// the options from the settings, binds the WMA module and organizes the folder of the path,
// writing each caption to standard error. With "--dry-run" nothing is changed (no file, no
// setting) and each decision is written to standard output instead. Returns the exit status:
// 0 after a run, 1 when the language is refused, 2 when the argument names no folder (and
// nothing is run), 128 + the signal number when a stop signal arrived during the run.
int RunCommandLineStart(const CommandLineInfo& info);
