#pragma once

#include <string>
#include <string_view>

// String operations on 8-bit text in code page 936, with the results the engine relies on.
// Searches walk the text character by character, so the trail byte of a double-byte
// character never matches: in Big5 "功" (0xA5 0x5C) the 0x5C is not a backslash.
// Positions are byte offsets; -1 means "not found".

namespace ansi {

// First position at or after `start` where `needle` begins on a character boundary.
// An empty needle is never found.
int Find(std::string_view text, std::string_view needle, int start = 0);
int Find(std::string_view text, char ch, int start = 0);

// Last position where the single-byte character `ch` stands on a character boundary.
int ReverseFind(std::string_view text, char ch);

// Replaces every occurrence of `oldText` found as Find finds it; returns how many there were.
int Replace(std::string& text, std::string_view oldText, std::string_view newText);

// Remove single-byte white space (space, \t, \n, \v, \f, \r) at one end.
void TrimLeft(std::string& text);
void TrimRight(std::string& text);

// Lower-cases the single-byte letters A-Z; double-byte characters are left as they are.
void MakeLower(std::string& text);

// The first `count` bytes: "" for a count of 0 or less, the whole text for one beyond it.
std::string Left(std::string_view text, int count);
// The bytes from `first` on: the whole text for 0 or less, "" from the length on.
std::string Mid(std::string_view text, int first);
// The last `count` bytes: "" for 0 or less, the whole text for one beyond it.
std::string Right(std::string_view text, int count);

// printf-style formatting into a string.
[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...);

}  // namespace ansi
