#pragma once

#include <string>
#include <vector>

// Everything below `folder`, relative to it and sorted, one entry a line: "name/" for a
// folder, "name -> target" for a symbolic link (not followed), "name #<size>:<hash>" for a
// file. Two snapshots are equal exactly when names, kinds, link targets and contents are.
std::vector<std::string> TreeSnapshot(const std::string& folder);
