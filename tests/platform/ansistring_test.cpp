#include "platform/ansistring.h"

#include <gtest/gtest.h>

namespace {

// 功 in Big5 is A5 5C: its trail byte is a backslash. 中 in GBK is D6 D0.
const std::string kBig5Gong = "\xA5\x5C";
const std::string kGbkZhong = "\xD6\xD0";
// GBK 丂 (81 40) has '@' as its trail byte; GBK 亐 (81 5A) has 'Z'.
const std::string kGbkTrailAt = "\x81\x40";
const std::string kGbkTrailZ = "\x81\x5A";

TEST(AnsiFind, TrailBytesNeverMatchSingleByteCharacters) {
    EXPECT_EQ(ansi::Find(kBig5Gong, '\\'), -1);
    EXPECT_EQ(ansi::Find(kBig5Gong + "\\", '\\'), 2);
    EXPECT_EQ(ansi::Find("a" + kGbkTrailAt + "@", '@'), 3);
    EXPECT_EQ(ansi::Find(kGbkZhong + "ab" + kBig5Gong + "ab", "ab"), 2);
    EXPECT_EQ(ansi::Find(kGbkZhong + "ab" + kBig5Gong + "ab", "ab", 3), 6);
    EXPECT_EQ(ansi::Find(kGbkZhong, '\xD0'), -1);
}

TEST(AnsiFind, FindsDoubleByteNeedlesOnCharacterBoundariesOnly) {
    // "\xD6\xD0\xD6" + "\xD0": the needle D0 D6 straddles two characters and is not there.
    EXPECT_EQ(ansi::Find(kGbkZhong + kGbkZhong, "\xD0\xD6"), -1);
    EXPECT_EQ(ansi::Find("x" + kGbkZhong, kGbkZhong), 1);
    EXPECT_EQ(ansi::Find("abc", ""), -1);
    EXPECT_EQ(ansi::Find("abc", 'c', 5), -1);
    EXPECT_EQ(ansi::Find("", 'a'), -1);
}

TEST(AnsiReverseFind, FindsTheLastSingleByteMatch) {
    EXPECT_EQ(ansi::ReverseFind("a/b/c", '/'), 3);
    EXPECT_EQ(ansi::ReverseFind("a\\" + kBig5Gong, '\\'), 1);
    EXPECT_EQ(ansi::ReverseFind(kBig5Gong, '\\'), -1);
    EXPECT_EQ(ansi::ReverseFind("abc", '/'), -1);
}

TEST(AnsiReplace, DeletesEveryCharacterAlignedOccurrence) {
    std::string text = "a\\" + kBig5Gong + "\\b";
    EXPECT_EQ(ansi::Replace(text, "\\", ""), 2);
    EXPECT_EQ(text, "a" + kBig5Gong + "b");

    std::string twice = "--x--";
    EXPECT_EQ(ansi::Replace(twice, "--", ""), 2);
    EXPECT_EQ(twice, "x");

    std::string untouched = kGbkTrailZ + kGbkTrailAt;
    EXPECT_EQ(ansi::Replace(untouched, "@", ""), 0);
    EXPECT_EQ(untouched, kGbkTrailZ + kGbkTrailAt);

    std::string empty = "abc";
    EXPECT_EQ(ansi::Replace(empty, "", "x"), 0);
    EXPECT_EQ(empty, "abc");
}

TEST(AnsiTrim, RemovesSingleByteWhiteSpaceAtOneEnd) {
    std::string text = " \t\r\n" + kGbkZhong + " x \v\f";
    ansi::TrimLeft(text);
    EXPECT_EQ(text, kGbkZhong + " x \v\f");
    ansi::TrimRight(text);
    EXPECT_EQ(text, kGbkZhong + " x");

    std::string spaces = "   ";
    ansi::TrimRight(spaces);
    EXPECT_EQ(spaces, "");

    // A lone lead byte takes the space after it as its trail byte, so the space stays.
    std::string lone = "a\xB0 ";
    ansi::TrimRight(lone);
    EXPECT_EQ(lone, "a\xB0 ");
}

TEST(AnsiMakeLower, LowersOnlySingleByteLetters) {
    std::string text = "ABC xyz " + kGbkTrailZ + "Q";
    ansi::MakeLower(text);
    EXPECT_EQ(text, "abc xyz " + kGbkTrailZ + "q");
}

TEST(AnsiSubstrings, KeepTheirBounds) {
    EXPECT_EQ(ansi::Left("abcdef", 2), "ab");
    EXPECT_EQ(ansi::Left("abcdef", 0), "");
    EXPECT_EQ(ansi::Left("abcdef", -3), "");
    EXPECT_EQ(ansi::Left("abc", 10), "abc");

    EXPECT_EQ(ansi::Mid("abcdef", 0), "abcdef");
    EXPECT_EQ(ansi::Mid("abcdef", -1), "abcdef");
    EXPECT_EQ(ansi::Mid("abcdef", 4), "ef");
    EXPECT_EQ(ansi::Mid("abcdef", 6), "");
    EXPECT_EQ(ansi::Mid("abcdef", 60), "");

    EXPECT_EQ(ansi::Right("abcdef", 2), "ef");
    EXPECT_EQ(ansi::Right("abcdef", 0), "");
    EXPECT_EQ(ansi::Right("abc", 10), "abc");
}

TEST(AnsiFormat, FormatsLikePrintf) {
    EXPECT_EQ(ansi::Format("%d个文件", 12), "12个文件");
    EXPECT_EQ(ansi::Format("%s-%02d", "a", 7), "a-07");
    EXPECT_EQ(ansi::Format("%s", ""), "");
    EXPECT_EQ(ansi::Format("%s", std::string(5000, 'x').c_str()).size(), 5000U);
}

}  // namespace
