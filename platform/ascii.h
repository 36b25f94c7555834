#pragma once

#include <algorithm>
#include <string>
#include <string_view>

// Letter case and hexadecimal digits of the ASCII bytes alone, for text where no other byte can
// pass for one: UTF-8 paths and extensions, registry names, class ids. Code page 936 text,
// whose trail bytes may be ASCII letters, is lower-cased with ansi::MakeLower instead.

constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The text with every ASCII letter in that case; all other bytes as they are.
std::string AsciiLower(std::string text);
std::string AsciiUpper(std::string text);

// True when a byte of the text lies beyond ASCII (0x80 and up).
inline bool HasNonAscii(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The text without the bytes of `spaces` at either end.
inline std::string_view TrimmedAscii(std::string_view text, std::string_view spaces = " \t") {
    const auto first = text.find_first_not_of(spaces);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(spaces) - first + 1);
}

// The value of a hexadecimal digit of either case; -1 for any other byte.
constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) {
        return AsciiLower(c) - 'a' + 10;
    }
    return -1;
}
