#pragma once

#include <string>

// What kind of entry a path names, without following a symbolic link at its end.

// True when `path` itself is a symbolic link (to a file, a folder or nothing).
bool IsSymbolicLink(const std::string& path);
