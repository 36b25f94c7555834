#pragma once

#include <string>
#include <string_view>

// Reads 8-bit tag text whose code page is unknown and which is neither pure GB2312 nor
// converts from Big5 to pure GB2312: the title kept when no tag set gives a clean one, and an
// artist that does not convert cleanly. The first reading that fits decides:
//
// 1. Latin text: every byte from 0x80 up stands alone between ASCII bytes (or the ends) and
//    is a letter or a punctuation mark of Windows-1252 ("Café", "Don’t"), the way Western
//    taggers store text. Two such bytes side by side are a double-byte character instead.
// 2. GBK: every byte from 0x80 up belongs to a character of GBK.
// 3. Big5: every such byte belongs to a character of Big5.
// 4. Anything else as GB18030, the bytes that do not decode dropped.
//
// A lead byte alone at the very end, where a cut by bytes leaves one, is dropped before
// readings 2 and 3. The result is code page 936 in its GB18030 form, which holds every
// character the readings give.
std::string ReadEightBitText(std::string_view text);

// True for Latin text as reading 1 above has it: every byte from 0x80 up stands alone between
// ASCII bytes and is a Windows-1252 letter or punctuation mark.
bool IsLatinText(std::string_view text);
