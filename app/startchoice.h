#pragma once

#include "app/commandoptions.h"

// How a start of the program goes, from its command line and whether a display is there.
enum class StartKind {
    ShellCommand,  // "i" or "u": register or unregister the file-manager menu, no window
    Dialog,        // the window, organizing the folder of the PATH given, if any
    Terminal,      // without a window: the help, a refused command line, undo, or the runs
};

// "i" and "u" are commands. With a display, a command line of at most one PATH and no option
// (as the desktop entry and the file-manager menu give it) opens the window; a command line
// with an option or several PATHs was typed in a terminal and is answered there, as is every
// start without a display.
StartKind ChooseStart(const ParsedCommandLine& parsed, bool hasDisplay);
