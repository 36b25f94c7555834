#pragma once

#include <string>
#include <string_view>

// Paths as text: nothing is looked up on disk, no link is resolved, so a result names what
// the user named.

// `path` joined to the current folder when it is relative. "" and "." stand for the current
// folder itself. Returns "" when the current folder cannot be found.
std::string AbsolutePath(const std::string& path);

// `path` without "." parts, repeated '/' and a trailing '/': "/m/./pop//" gives "/m/pop",
// "/." gives "/". ".." parts stay, since a link before them decides where they lead.
std::string TidyPath(const std::string& path);

// The parts of a path around its last '/'. UTF-8 never hides a '/' inside another character,
// so the last '/' byte is the separator.

// The folder that holds `path`, without a trailing '/': "/m/a.mp3" gives "/m", "/a.mp3"
// gives "/", and a name without '/' gives "".
std::string ParentFolder(const std::string& path);
// The path up to and including its last '/': "/m/a.mp3" gives "/m/", "/a.mp3" gives "/", and
// a name without '/' gives "". A name appended to it lands in the same folder.
std::string FolderPartWithSlash(const std::string& path);
// What follows the last '/': "/m/a.mp3" gives "a.mp3", "/m/" gives "", and a name without
// '/' is the whole of it.
std::string FileNamePart(const std::string& path);

// A path for a field of a line of text: a backslash, tab, line feed and carriage return are
// written \\, \t, \n and \r, so that the field holds no tab and the line stays one line; all
// other bytes are written as they are.
std::string EscapePath(const std::string& path);
// The path an escaped field stands for. A backslash before any other byte stands for itself.
std::string UnescapePath(std::string_view field);
