#pragma once

#include <optional>
#include <string>
#include <string_view>

// Code page 936 (GBK), the 8-bit text the engine works on, and its meeting point with the
// file system's UTF-8 names.

namespace codepage {

// True for the bytes that open a double-byte character in code page 936 (0x81-0xFE).
constexpr bool IsDBCSLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}
constexpr bool IsDBCSLeadByte(char byte) {
    return IsDBCSLeadByte(static_cast<unsigned char>(byte));
}

// Length in bytes of the character that starts at `pos`: 2 for a lead byte with a byte after
// it, else 1. A lone lead byte at the end counts as one character.
constexpr std::size_t CharLength(std::string_view text, std::size_t pos) {
    return IsDBCSLeadByte(text[pos]) && pos + 1 < text.size() ? 2 : 1;
}

// True when `text` is well-formed UTF-8: no overlong forms, surrogates or code points past
// U+10FFFF.
bool IsValidUtf8(std::string_view text);

// Decodes code page 936 text (read as GB18030, its superset) into UTF-8. Bytes that do not
// decode, such as a lone lead byte left by a cut, are dropped, so the result is always valid
// UTF-8. A NUL byte ends the text.
std::string Cp936ToUtf8(std::string_view text);

// Encodes UTF-8 text as code page 936 (GB18030 encoding). Invalid UTF-8 sequences are dropped.
std::string Utf8ToCp936(std::string_view text);

// Decodes 8-bit text of the iconv character set `charset` ("CP1252", "GBK", "CP950") into code
// page 936 (GB18030 encoding); nothing when any byte sequence does not decode, or decodes only
// to a private-use character (a code point the set reserves for its users, which no font
// shows the same way twice). A NUL byte ends the text.
std::optional<std::string> DecodeToCp936(std::string_view text, const char* charset);

// Encodes UTF-16 code units (native order) as code page 936; unpaired surrogates are dropped.
std::string Utf16ToCp936(std::u16string_view text);
// The same without the per-thread converter the functions above keep: for loadable modules,
// where thread-local state would outlive the call and keep the module from unloading.
std::string Utf16ToCp936Uncached(std::u16string_view text);
std::string Cp936ToUtf8Uncached(std::string_view text);
std::string Utf8ToCp936Uncached(std::string_view text);

// Decodes code page 936 text into UTF-16 code units, as Cp936ToUtf8 does into UTF-8; without a
// per-thread converter, for loadable modules.
std::u16string Cp936ToUtf16Uncached(std::string_view text);

}  // namespace codepage
