#pragma once

#include <set>
#include <string>

// The contents of every regular file below `folder` (links are not followed), each as its
// size and a 64-bit hash. Two folders whose files hold the same bytes give equal multisets,
// however the files are named or placed: a run that only renames and links keeps it.
std::multiset<std::string> HashFileContents(const std::string& folder);

// The size and 64-bit hash of one file's bytes, "<size>:<hash>".
std::string FileContentHash(const std::string& file);
