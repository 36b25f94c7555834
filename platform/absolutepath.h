#pragma once

#include <string>

// Paths as text: nothing is looked up on disk, no link is resolved, so a result names what
// the user named.

// `path` joined to the current folder when it is relative. "" and "." stand for the current
// folder itself. Returns "" when the current folder cannot be found.
std::string AbsolutePath(const std::string& path);

// `path` without "." parts, repeated '/' and a trailing '/': "/m/./pop//" gives "/m/pop",
// "/." gives "/". ".." parts stay, since a link before them decides where they lead.
std::string TidyPath(const std::string& path);

// The folder that holds `path`, without a trailing '/': "/m/a.mp3" gives "/m", "/a.mp3"
// gives "/", and a name without '/' gives "".
std::string ParentFolder(const std::string& path);
