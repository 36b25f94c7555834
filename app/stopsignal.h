#pragma once

// Ctrl-C (SIGINT) and SIGTERM ask a run without a window to stop, as the Open button does in
// the dialog: the handler only notes the signal, and the run looks at the note between two
// entries of the walk and between two files. A second signal ends the process at once.

void InstallStopSignals();

// The number of the signal that asked for a stop, or 0 when none did.
int StopSignal();
