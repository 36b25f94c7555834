#include "platform/ascii.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(AsciiCase, ChangesOnlyAsciiLetters) {
    // UTF-8 小 (E5 B0 8F), a Latin-1 'Ä' byte (C4) and the bytes around the letter ranges.
    const std::string mixed = "@AZ[`az{ .Mp3 \xE5\xB0\x8F \xC4";
    EXPECT_EQ(AsciiLower(mixed), "@az[`az{ .mp3 \xE5\xB0\x8F \xC4");
    EXPECT_EQ(AsciiUpper(mixed), "@AZ[`AZ{ .MP3 \xE5\xB0\x8F \xC4");
    EXPECT_EQ(AsciiLower(""), "");
}

TEST(HexDigitValue, ReadsBothCasesAndRefusesTheRest) {
    // The digits and the bytes just outside each range.
    const std::pair<char, int> cases[] = {
        {'0', 0},  {'9', 9},  {'a', 10}, {'f', 15}, {'A', 10}, {'F', 15},  {'/', -1},
        {':', -1}, {'`', -1}, {'g', -1}, {'@', -1}, {'G', -1}, {'\0', -1}, {'\xC1', -1},
    };
    for (const auto& [c, value] : cases) {
        EXPECT_EQ(HexDigitValue(c), value) << static_cast<int>(c);
    }
}

}  // namespace
