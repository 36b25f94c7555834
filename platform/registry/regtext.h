#pragma once

#include <string>
#include <string_view>

#include "platform/registry/reghive.h"

namespace registry_detail {

// The text form of a hive, internal to the registry: the .reg export format.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Sortune\Set]
//   @="default value"
//   "ExePath"="/opt/sortune/sortune"
//   "FindPath"=dword:00000001
//
// The file is 8-bit: names and quoted strings are the stored bytes, with '\' and '"' escaped
// as \\ and \". A REG_SZ value is quoted only when it is valid UTF-8 without control
// characters; any other (GBK text, a newline) is written as hex(1): followed by its bytes and
// a terminating 00 (the bytes themselves, not UTF-16 as on Windows), so that every value
// reads back byte for byte. Other types are hex: (REG_BINARY) or hex(<type>): bytes.

struct ParsedHive {
    Hive hive;
    // False when anything was dropped: a missing header, a line that does not parse (a
    // truncated value, junk), a section of another hive, or an unsupported entry.
    bool clean = true;
};

// Reads what parses of `text`, the file of the hive named `hiveName` ("HKEY_CURRENT_USER").
// Never fails: the broken parts are left out.
ParsedHive ParseRegText(std::string_view text, std::string_view hiveName);

std::string FormatRegText(const Hive& hive, std::string_view hiveName);

}  // namespace registry_detail
