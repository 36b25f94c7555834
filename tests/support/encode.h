#pragma once

#include <optional>
#include <string>
#include <string_view>

// The bytes a tagger of another code page stores: UTF-8 text encoded in the iconv character
// set `charset` ("GBK", "BIG5", "CP1252", "UTF-16LE"); nothing when the set lacks a character.
std::optional<std::string> EncodeAs(std::string_view utf8, const char* charset);

// 8-bit bytes widened one by one into UTF-16, as taggers that took them for ISO-8859-1 wrote.
std::u16string Widened(std::string_view bytes);

// UTF-8 text as UTF-16 code units, for the writers of UTF-16 tags.
std::u16string Utf16Of(std::string_view utf8);
