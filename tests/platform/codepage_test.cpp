#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

TEST(CodePage, LeadBytesAreTheUpperRangeWithoutItsEnds) {
    EXPECT_FALSE(codepage::IsDBCSLeadByte(static_cast<unsigned char>(0x80)));
    EXPECT_TRUE(codepage::IsDBCSLeadByte(static_cast<unsigned char>(0x81)));
    EXPECT_TRUE(codepage::IsDBCSLeadByte(static_cast<unsigned char>(0xFE)));
    EXPECT_FALSE(codepage::IsDBCSLeadByte(static_cast<unsigned char>(0xFF)));
    EXPECT_FALSE(codepage::IsDBCSLeadByte('A'));
}

TEST(CodePage, ConvertsBetweenGbkAndUtf8) {
    EXPECT_EQ(codepage::Cp936ToUtf8("\xD0\xA1\xD3\xEA.mp3"), "小雨.mp3");
    EXPECT_EQ(codepage::Utf8ToCp936("小雨"), "\xD0\xA1\xD3\xEA");
    EXPECT_EQ(codepage::Utf16ToCp936(u"中国"), "\xD6\xD0\xB9\xFA");
    // Characters outside GBK survive the round trip through GB18030.
    EXPECT_EQ(codepage::Cp936ToUtf8(codepage::Utf8ToCp936("a😀b")), "a😀b");
}

TEST(CodePage, TellsValidUtf8) {
    EXPECT_TRUE(codepage::IsValidUtf8(""));
    EXPECT_TRUE(codepage::IsValidUtf8("ascii 小雨 😀"));
    EXPECT_FALSE(codepage::IsValidUtf8("\xD6\xD0"));  // GBK bytes of 中
    EXPECT_FALSE(codepage::IsValidUtf8("\xE5\xB0"));  // cut short
    EXPECT_FALSE(codepage::IsValidUtf8("a\x80"));     // stray continuation byte
    EXPECT_FALSE(codepage::IsValidUtf8("\xF8\x88\x80\x80\x80"));
    // GBK bytes that look like UTF-8 but for a lead byte no UTF-8 has: 山良 (C1 makes an
    // overlong form), and the forms no encoder writes.
    for (const char* invalid : {"\xC9\xBD\xC1\xBC", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                                "\xF0\x80\x80\xAF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80"}) {
        EXPECT_FALSE(codepage::IsValidUtf8(invalid)) << testing::PrintToString(invalid);
    }
    for (const char* valid : {"\xC2\x80", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80",
                              "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"}) {
        EXPECT_TRUE(codepage::IsValidUtf8(valid)) << testing::PrintToString(valid);
    }
}

TEST(CodePage, NeverProducesInvalidUtf8) {
    // A lone lead byte at the end (a 63-byte cut), one before ASCII, and stray 0x80 / 0xFF.
    const std::string cases[] = {"\xD0\xA1\xD3",
                                 "\xD0"
                                 "abc",
                                 "a\x80"
                                 "b\xFF",
                                 "\xFF\xFF"};
    for (const std::string& text : cases) {
        const std::string utf8 = codepage::Cp936ToUtf8(text);
        EXPECT_TRUE(codepage::IsValidUtf8(utf8)) << utf8;
    }
    EXPECT_EQ(codepage::Cp936ToUtf8("\xD0\xA1\xD3"), "小");
    // A four-byte character cut short leaves nothing, not its ASCII digit second byte.
    const std::string emoji = codepage::Utf8ToCp936("a😀");
    ASSERT_EQ(emoji.size(), 5U);
    for (std::size_t cut = 2; cut < 5; ++cut) {
        EXPECT_EQ(codepage::Cp936ToUtf8(emoji.substr(0, cut)), "a") << cut;
    }
    EXPECT_EQ(codepage::Cp936ToUtf8(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(codepage::Utf8ToCp936("a\xC3"
                                    "b"),
              "ab");
    EXPECT_EQ(codepage::Utf16ToCp936(std::u16string{u'a', static_cast<char16_t>(0xD800), u'b'}),
              "ab");
}

TEST(CodePage, DecodesWholeTextOfAnotherCodePageOrNothing) {
    struct Case {
        std::string bytes;
        const char* charset;
        std::optional<std::string> utf8;
    };
    const std::vector<Case> cases = {
        {"Caf\xE9 \x92", "CP1252", "Café ’"},
        {"\xA4\xA4\xB0\xEA", "CP950", "中國"},
        {"\xD6\xD0\xB9\xFA", "GBK", "中国"},
        {"ab", "GBK", "ab"},
        {"", "CP950", ""},
        {"\xA4", "CP950", std::nullopt},          // cut short
        {"\xA1\x40\xFF", "GBK", std::nullopt},    // user-defined area, 0xFF
        {"\xC6\xA1", "CP950", std::nullopt},      // decodes to a private-use character
        {"\x81", "CP1252", std::nullopt},         // not assigned
        {std::string("a\0\xFF", 3), "GBK", "a"},  // ends at its NUL
    };
    for (const Case& c : cases) {
        const std::optional<std::string> decoded = codepage::DecodeToCp936(c.bytes, c.charset);
        ASSERT_EQ(decoded.has_value(), c.utf8.has_value()) << c.bytes << " " << c.charset;
        if (decoded) {
            EXPECT_EQ(codepage::Cp936ToUtf8(*decoded), *c.utf8) << c.bytes;
        }
    }
}

}  // namespace
