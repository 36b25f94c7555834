#pragma once

#include <string>
#include <vector>

// The runs a stand-in program (argvrecorder) recorded in a folder: the arguments of each run.

using RecordedRun = std::vector<std::string>;

// The runs recorded in `folder` so far, in no particular order.
std::vector<RecordedRun> RecordedRuns(const std::string& folder);

// Waits up to `seconds` until at least `count` runs are recorded, then returns them; programs
// started detached finish after their starter returns.
std::vector<RecordedRun> WaitForRuns(const std::string& folder, std::size_t count,
                                     double seconds = 10);
