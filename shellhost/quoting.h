#pragma once

#include <string>
#include <string_view>
#include <vector>

// How a command and its texts are written into the file managers' files so that each reads
// back exactly what was meant.

// A value of a desktop-style key file: '\' as "\\", line breaks and tabs as "\n", "\r", "\t",
// a leading space as "\s".
std::string KeyFileValue(std::string_view value);

// The words of an `Exec` line of a desktop-style file (before key-file escaping): each word
// with a reserved character in double quotes, '"', '`', '$' and '\' escaped there; '%' doubled
// everywhere. `fieldCode` ("%F") is appended as it is.
std::string ExecLine(const std::vector<std::string>& words, std::string_view fieldCode);

// A word for /bin/sh: in single quotes, a single quote as '\''.
std::string ShellWord(std::string_view word);

// Text for XML content: '&', '<', '>' as entities.
std::string XmlText(std::string_view text);

// The path a local file URI names ("file:///a%20b" gives "/a b", a host of "localhost" or
// none), every %XX decoded; `argument` as it is when it is no such URI.
std::string PathOfFileUri(const std::string& argument);
