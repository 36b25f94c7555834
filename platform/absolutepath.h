#pragma once

#include <string>

// `path` joined to the current folder when it is relative, as text: no link is resolved and
// nothing else is looked up, so the result names what the user named. "" and "." stand for
// the current folder itself. Returns "" when the current folder cannot be found.
std::string AbsolutePath(const std::string& path);
