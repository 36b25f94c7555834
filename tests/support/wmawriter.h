#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// Writes small WMA (ASF) files for tests: a valid header without audio, then the
// attributes through TagLib.

// An attribute value in each of the types ASF stores: text (UTF-8 here, UTF-16 in the
// file), DWORD, QWORD, WORD, Boolean, binary.
using WmaValue = std::variant<std::string, std::uint32_t, std::uint64_t, std::uint16_t, bool,
                              std::vector<unsigned char>>;

struct WmaAttribute {
    std::string name;
    WmaValue value;
};

// Writes a WMA file at `path` (replacing any file there) that holds `attributes`. Text
// under "Title" and "Author" goes into the content description, where players look for
// them; any other attribute is an extended attribute of the file. Returns false when the
// file cannot be written or TagLib refuses the values.
bool WriteWmaAttributes(const std::string& path, const std::vector<WmaAttribute>& attributes);

// The common case: title, author and album (WM/AlbumTitle) as UTF-8 text; an empty text
// leaves the attribute out.
bool WriteWma(const std::string& path, const std::string& title, const std::string& author,
              const std::string& album);

// The bytes of the smallest file TagLib reads as ASF: a header with the file and stream
// properties and the header extension, and an empty data object.
std::vector<unsigned char> MinimalAsfFile();
