#include "organizer/namebuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "resources/embeddedresource.h"

namespace {

std::string Gbk(const char* utf8) {
    return codepage::Utf8ToCp936(utf8);
}

// Double-byte characters whose trail byte is an ASCII character of a set.
const std::string kBig5Gong = "\xA5\x5C";            // 功: trail is the backslash
const std::string kGbkTrailUnderscore = "\x81\x5F";  // 乢: trail is the underscore

struct TextCase {
    std::string input;
    std::string expected;
};

TEST(StripTrackNumber, CutsAnAllDigitPrefixBeforeTheFirstSeparatorTried) {
    const std::vector<TextCase> cases = {
        {Gbk("01.小雨"), Gbk("小雨")},
        {Gbk("01-小雨"), Gbk("小雨")},
        {Gbk("01_小雨"), Gbk("小雨")},
        {Gbk("01 小雨"), Gbk("小雨")},
        {Gbk("01 - 小雨"), Gbk("01 - 小雨")},  // hyphen before space: "01 " is no number
        {"1.2.3", "2.3"},
        {"Vol.1", "Vol.1"},
        {Gbk(".小雨"), Gbk("小雨")},  // the empty part counts as digits
        {Gbk("01 小雨 feat. 歌手乙"), Gbk("01 小雨 feat. 歌手乙")},
        {"01.", ""},
        {"", ""},
        {Gbk("小雨"), Gbk("小雨")},
        {"2001", "2001"},
        {"01. Song", " Song"},                               // nothing is trimmed
        {"01 " + kGbkTrailUnderscore, kGbkTrailUnderscore},  // the trail is no underscore
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(StripTrackNumber(c.input), c.expected) << c.input;
    }
}

TEST(CutArtist, KeepsThePartBeforeTheSeparatorUnlessItIsAWebAddress) {
    const std::vector<TextCase> cases = {
        {Gbk("abccom-歌手甲"), Gbk("歌手甲")},
        {Gbk("歌手甲-abcnet"), Gbk("歌手甲")},
        {Gbk("歌手甲_乐队"), Gbk("歌手甲")},
        {"A-ha", "A"},
        {Gbk("COM-歌手甲"), "COM"},  // web words are case-sensitive
        {"http_abc", "abc"},
        {Gbk(" 歌手甲 "), Gbk("歌手甲")},
        {"", ""},
        {"x_y-z", "x_y"},  // the hyphen is tried first wherever it stands
        {Gbk("www.abc.net - 歌手甲"), Gbk("歌手甲")},
        {Gbk("\t歌手甲\r\n"), Gbk("歌手甲")},
        {kGbkTrailUnderscore + Gbk("乐队"), kGbkTrailUnderscore + Gbk("乐队")},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(CutArtist(c.input), c.expected) << c.input;
    }
}

TEST(RemoveIllegalChars, DeletesTheEightCharactersAndTrims) {
    const std::vector<TextCase> cases = {
        {"AC/DC: Live?", "ACDC Live"},
        {"a|b", "a|b"},
        {"\\/:*?\"<>", ""},
        {" <a> * \"b\" ", "a  b"},
        {kBig5Gong + "\\x", kBig5Gong + "x"},  // the backslash inside 功 stays
        {Gbk("\t小雨\n"), Gbk("小雨")},
        {"", ""},
    };
    for (const TextCase& c : cases) {
        std::string text = c.input;
        RemoveIllegalChars(text);
        EXPECT_EQ(text, c.expected) << c.input;
    }
}

TEST(RemoveIllegalChars, LeavesANameThatCanBeSeenAndTyped) {
    const std::vector<TextCase> cases = {
        {"Line1\nLine2", "Line1Line2"},
        {"a\x1B[31mred\x07", "a[31mred"},
        {"\x01\x1F\x7F", ""},
        {"tab\tinside", "tabinside"},
        {".hidden", "hidden"},
        {"..x", "x"},
        {". . x .", "x ."},  // only leading dots go
        {" .x", "x"},
        {"...", ""},
        {"a.b.", "a.b."},
        {Gbk(".小雨"), Gbk("小雨")},
        {kGbkTrailUnderscore + "\x01", kGbkTrailUnderscore},
    };
    for (const TextCase& c : cases) {
        std::string text = c.input;
        RemoveIllegalChars(text);
        EXPECT_EQ(text, c.expected) << c.input;
    }
}

TEST(FindFirstOfInOrder, PrefersTheSetOrderOverThePosition) {
    EXPECT_EQ(FindFirstOfInOrder("a-b.c", ".-_ "), 3);
    EXPECT_EQ(FindFirstOfInOrder("a b-c", ".-_ "), 3);
    EXPECT_EQ(FindFirstOfInOrder("a b", ".-_ "), 1);
    EXPECT_EQ(FindFirstOfInOrder("abc", ".-_ "), -1);
    EXPECT_EQ(FindFirstOfInOrder("a-b", ""), -1);
    EXPECT_EQ(FindFirstOfInOrder("", "-"), -1);
    EXPECT_EQ(FindFirstOfInOrder(kGbkTrailUnderscore + "_", "_"), 2);
    EXPECT_EQ(FindFirstOfInOrder(kBig5Gong, "\\"), -1);
}

TEST(IsAllDigits, AcceptsOnlyAsciiDigits) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"", 1},   {"0123456789", 1}, {"12a", 0},     {" 1", 0},
        {"1 ", 0}, {"\xB3", 0},       {Gbk("１"), 0},  // full-width digit
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(IsAllDigits(text), expected) << text;
    }
}

class ChooseTitleTest : public testing::Test {
protected:
    ChooseTitleTest() { m_tables.Load(resources::FindResource); }

    TitleAndArtist Choose(const TrackTags& first, const TrackTags& second) const {
        return ChooseTitle(first, second, m_converter);
    }

    ConversionTables m_tables;
    ChineseConverter m_converter{m_tables};
};

const std::string kBig5XiaoYu = "\xA4\x70\xAB\x42";           // 小雨
const std::string kBig5JayChou = "\xA9\x50\xAA\x4E\xAD\xDB";  // 周杰倫
const std::string kBig5Fan = "\xA5\xC6";                      // 氾, no GB2312 counterpart

TEST_F(ChooseTitleTest, FirstSetWinsWhenItsTitleIsClean) {
    const TitleAndArtist ascii = Choose({"Song 01", "Band", ""}, {Gbk("小雨"), "Other", ""});
    EXPECT_EQ(ascii.title, "Song 01");
    EXPECT_EQ(ascii.artist, "Band");

    // Big5 that maps into the hanzi block is taken in its simplified form.
    const TitleAndArtist big5 = Choose({kBig5XiaoYu, kBig5JayChou, ""}, {"Other", "Other", ""});
    EXPECT_EQ(big5.title, Gbk("小雨"));
    EXPECT_EQ(big5.artist, Gbk("周杰伦"));
}

TEST_F(ChooseTitleTest, ArtistThatDoesNotConvertCleanlyStaysRaw) {
    const TitleAndArtist first = Choose({Gbk("小雨"), kBig5Fan, ""}, {});
    EXPECT_EQ(first.title, Gbk("小雨"));
    EXPECT_EQ(first.artist, kBig5Fan);

    const TitleAndArtist second = Choose({}, {Gbk("小雨"), kBig5Fan, ""});
    EXPECT_EQ(second.artist, kBig5Fan);
}

TEST_F(ChooseTitleTest, SecondSetServesWhenTheFirstTitleIsEmptyOrUnclean) {
    const TitleAndArtist empty = Choose({"", "Nobody", ""}, {Gbk("小雨"), Gbk("歌手甲"), ""});
    EXPECT_EQ(empty.title, Gbk("小雨"));
    EXPECT_EQ(empty.artist, Gbk("歌手甲"));

    const TitleAndArtist unclean =
        Choose({Gbk("小雨（live）"), "Band", ""}, {kBig5XiaoYu, kBig5JayChou, ""});
    EXPECT_EQ(unclean.title, Gbk("小雨"));
    EXPECT_EQ(unclean.artist, Gbk("周杰伦"));
}

TEST_F(ChooseTitleTest, NeitherSetUsableKeepsARawTitle) {
    const std::string bracketed = Gbk("小雨（live）");
    const TitleAndArtist raw = Choose({bracketed, "Band", ""}, {kBig5Fan, "Other", ""});
    EXPECT_EQ(raw.title, bracketed);
    EXPECT_EQ(raw.artist, "Band");

    // With an empty first title the second set's raw title and artist are taken.
    const TitleAndArtist second = Choose({"", "Band", ""}, {kBig5Fan, "Other", ""});
    EXPECT_EQ(second.title, kBig5Fan);
    EXPECT_EQ(second.artist, "Other");

    const TitleAndArtist none = Choose({"", "Band", ""}, {"", "Other", ""});
    EXPECT_EQ(none.title, "");
    EXPECT_EQ(none.artist, "");
}

}  // namespace

namespace {

// Unicode text in code page 936 (its GB18030 form), as the readers deliver it.
TrackTags Unicode(const char* title, const char* artist) {
    return {Gbk(title), Gbk(artist), "", TextOrigin::Unicode, TextOrigin::Unicode};
}

TEST_F(ChooseTitleTest, UnicodeTitlesAreSimplifiedNeverGuessed) {
    struct Case {
        const char* what;
        TrackTags first;
        TrackTags second;
        std::string title;
        std::string artist;
    };
    const std::vector<Case> cases = {
        {"traditional first set", Unicode("說謊", "張學友"), {}, Gbk("说谎"), Gbk("张学友")},
        {"characters outside GB2312 make it no less usable",
         Unicode("Beyoncé", "사랑"),
         {Gbk("小雨"), "", ""},
         Gbk("Beyoncé"),
         Gbk("사랑")},
        {"an empty Unicode title is passed over", Unicode("", "Nobody"), Unicode("後來", "劉若英"),
         Gbk("后来"), Gbk("刘若英")},
        {"the second set after an unclean 8-bit first",
         {Gbk("小雨（live）"), "Band", ""},
         Unicode("紅豆", ""),
         Gbk("红豆"),
         ""},
        {"an 8-bit artist beside a Unicode title keeps the 8-bit rules",
         {Gbk("紅豆"), kBig5JayChou, "", TextOrigin::Unicode, TextOrigin::EightBit},
         {},
         Gbk("红豆"),
         Gbk("周杰伦")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TitleAndArtist chosen = Choose(c.first, c.second);
        EXPECT_EQ(chosen.title, c.title);
        EXPECT_EQ(chosen.artist, c.artist);
    }
}

TEST_F(ChooseTitleTest, OriginsComeWithTheChosenText) {
    const TitleAndArtist unicode = Choose(Unicode("紅豆", "王菲"), {});
    EXPECT_EQ(unicode.titleOrigin, TextOrigin::Unicode);
    EXPECT_EQ(unicode.artistOrigin, TextOrigin::Unicode);

    const TitleAndArtist raw = Choose({Gbk("小雨（live）"), "Band", ""}, Unicode("", ""));
    EXPECT_EQ(raw.title, Gbk("小雨（live）"));
    EXPECT_EQ(raw.titleOrigin, TextOrigin::EightBit);
    EXPECT_EQ(raw.artistOrigin, TextOrigin::EightBit);
}

}  // namespace
