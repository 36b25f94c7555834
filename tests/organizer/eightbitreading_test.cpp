#include "organizer/eightbitreading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"

namespace {

std::string Cp936(const char* utf8) {
    return codepage::Utf8ToCp936(utf8);
}

struct ReadingCase {
    const char* what;
    std::string bytes;
    std::string text;  // UTF-8
};

TEST(ReadEightBitText, TakesTheFirstReadingThatFits) {
    const std::vector<ReadingCase> cases = {
        // Latin: each high byte alone, a letter or a punctuation mark of Windows-1252.
        {"accent at the end", "Caf\xE9", "Café"},
        {"accent between letters", "Pok\xE9mon", "Pokémon"},
        {"two accents apart", "Se\xF1or S\xED", "Señor Sí"},
        {"curly apostrophe", "Don\x92t", "Don’t"},
        {"dash and accent", "Beyonc\xE9 \x96 Halo", "Beyoncé – Halo"},
        {"first byte",
         "\xDC"
         "ber",
         "Über"},
        {"quotes and ellipsis", "\x93Hi\x94 \x85", "“Hi” …"},
        // Big5 punctuation between ASCII letters reads the same way: one byte pair of two.
        {"Big5 brackets alone",
         "\xA1\x5D"
         "live"
         "\xA1\x5E",
         "¡]live¡^"},
        // Two high bytes side by side are one double-byte character: GBK first ...
        {"GBK with a full-width bracket", Cp936("小雨（live）"), "小雨（live）"},
        {"GBK traditional characters", Cp936("愛情"), "愛情"},
        {"GBK euro sign", "5\x80", "5€"},
        // ... where GBK does not fit, Big5.
        {"Big5 beyond GBK", "\xA4\x40\xB3\xF5\xA5\xC6", "一場氾"},
        {"Big5 with brackets",
         "\xB7\x52\xB1\xA1\xA1\x5D"
         "live"
         "\xA1\x5E",
         "愛情（live）"},
        // A symbol of Windows-1252 is no Latin text.
        {"copyright sign", "\xA9 2001", " 2001"},
        // Otherwise GB18030, dropping what does not decode.
        {"lone lead before ASCII", "x\x81/y", "x/y"},
        {"0xFF",
         "a\xFF\xFF"
         "b",
         "ab"},
        // A lead byte cut off at the end is dropped before GBK and Big5 are tried.
        {"GBK cut short", Cp936("小雨（") + "\xA3", "小雨（"},
        {"Big5 cut short", "\xA4\x40\xB3\xF5\xA5\xC6\xC0", "一場氾"},
        {"ends at its NUL", std::string("Caf\xE9\0\xFF", 6), "Café"},
    };
    for (const ReadingCase& c : cases) {
        EXPECT_EQ(codepage::Cp936ToUtf8(ReadEightBitText(c.bytes)), c.text) << c.what;
    }
}

TEST(ReadEightBitText, LatinTextNeedsEveryHighByteAloneAndALetterOrPunctuation) {
    // Each of these would read as Latin but for one byte; none comes back as Windows-1252.
    const std::vector<std::string> notLatin = {
        "Caf\xE9\xE9",  // side by side
        "a\xD7"
        "b",  // ×
        "a\xA0"
        "b",  // no-break space
        "a\x81"
        "b",  // not assigned
        "a\xAE"
        "b",  // ®
    };
    for (const std::string& bytes : notLatin) {
        const std::string latin = *codepage::DecodeToCp936(bytes, "CP1252");
        EXPECT_NE(ReadEightBitText(bytes), latin) << bytes;
    }
}

}  // namespace
