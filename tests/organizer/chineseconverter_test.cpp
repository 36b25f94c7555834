#include "organizer/chineseconverter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "resources/embeddedresource.h"
#include "tests/support/scopedvariable.h"

using namespace std::string_literals;

namespace {

std::string Gbk(const char* utf8) {
    return codepage::Utf8ToCp936(utf8);
}

// Big5 bytes of the characters the cases use.
const std::string kBig5ZhongGuo = "\xA4\xA4\xB0\xEA";  // 中國
const std::string kBig5Fan = "\xA5\xC6";               // 氾, which has no GB2312 counterpart

class ChineseConverterTest : public testing::Test {
protected:
    ChineseConverterTest() { m_tables.Load(resources::FindResource); }

    ConversionTables m_tables;
    ChineseConverter m_converter{m_tables};
};

struct PurityCase {
    const char* what;
    std::string text;
    int pure;
};

TEST_F(ChineseConverterTest, IsPureGb2312CountsOnlyHanziAsPure) {
    const std::vector<PurityCase> cases = {
        {"empty", "", 1},
        {"ASCII", "Song 01", 1},
        {"GB2312 hanzi", Gbk("小雨"), 1},
        {"full-width brackets of row 0xA3", Gbk("小雨（live）"), 0},
        {"Big5 中國, lead 0xA4", kBig5ZhongGuo, 0},
        {"Big5 國 alone looks like a hanzi", "\xB0\xEA", 1},
        {"lone lead byte at the end", Gbk("小雨") + "\xB0", 0},
        {"GBK extension character", "\x81\x40", 0},
        {"last hanzi code", "\xF7\xFE", 1},
        {"lead beyond the hanzi block", "\xF8\xA1", 0},
        {"trail below the hanzi block", "\xB0\xA0", 0},
        {"a trail byte never starts a character", "\xB0\xB0\xB0\xA1", 1},
        {"0x80 and 0xFF are single bytes", "a\x80z\xFF", 1},
        {"text ends at its NUL", "\xB0\xA1\0\xA4\xA4"s, 1},
    };
    for (const PurityCase& c : cases) {
        EXPECT_EQ(ChineseConverter::IsPureGb2312(c.text), c.pure) << c.what;
    }
}

struct ConversionCase {
    const char* what;
    std::string big5;
    std::string gb2312;
};

TEST_F(ChineseConverterTest, Big5ToGb2312ConvertsPairsThroughTheTable) {
    const std::vector<ConversionCase> cases = {
        {"traditional to simplified", kBig5ZhongGuo, Gbk("中国")},
        {"ASCII stays", "Song 01", "Song 01"},
        {"stray high byte before a letter is a pair",
         "\xA1"
         "A",
         Gbk("，")},
        {"no counterpart gives the ideographic space", kBig5Fan, "\xA1\xA1"},
        {"pair of the unused trail range", "\xA1\x7F", "\xA1\x7F"},
        {"lone lead byte at the end is copied", "ab\xA4", "ab\xA4"},
        {"byte below 0xA1 is no lead", "\x81\x40", "\x81\x40"},
        {"trail below 0x40 is no pair", "\xA4\x3F", "\xA4\x3F"},
        {"0xFF lead is copied", "\xFF\x41", "\xFF\x41"},
        {"0xFF trail is copied", "\xA4\xFF\xA4\xA4", "\xA4\xFF" + Gbk("中")},
        {"pairs do not overlap", "x\xA4\xA4\xA4\xA4", "x" + Gbk("中中")},
        {"text ends at its NUL", "\xA4\xA4\0\xA4\xA4"s, Gbk("中")},
    };
    for (const ConversionCase& c : cases) {
        EXPECT_EQ(m_converter.Big5ToGb2312(c.big5), c.gb2312) << c.what;
    }
}

TEST_F(ChineseConverterTest, ConvertIfBig5LeavesPureTextAlone) {
    EXPECT_EQ(m_converter.ConvertIfBig5(""), "");
    EXPECT_EQ(m_converter.ConvertIfBig5("Song 01"), "Song 01");
    EXPECT_EQ(m_converter.ConvertIfBig5(Gbk("小雨")), Gbk("小雨"));
    // Big5 國 alone passes for GB2312 and is not converted, though the table would make it 国.
    EXPECT_EQ(m_converter.ConvertIfBig5("\xB0\xEA"), "\xB0\xEA");
    EXPECT_EQ(m_converter.Big5ToGb2312("\xB0\xEA"), Gbk("国"));
    EXPECT_EQ(m_converter.ConvertIfBig5(kBig5ZhongGuo), Gbk("中国"));
}

TEST_F(ChineseConverterTest, SimplifyTraditionalFollowsTheBig5TableCharacterByCharacter) {
    const std::vector<ConversionCase> cases = {
        {"traditional to simplified", Gbk("中國 說謊 後來"), Gbk("中国 说谎 后来")},
        {"simplified and ASCII stay", Gbk("小雨 Song 01"), Gbk("小雨 Song 01")},
        {"國 alone is simplified too", Gbk("國"), Gbk("国")},
        {"no GB2312 counterpart: kept", Gbk("氾濫"), Gbk("氾滥")},
        {"not in Big5: kept", Gbk("사랑해 Beyoncé – 😀"), Gbk("사랑해 Beyoncé – 😀")},
        {"punctuation mapped to itself", Gbk("（live）’"), Gbk("（live）’")},
        {"four-byte character cut short", Gbk("愛") + Gbk("😀").substr(0, 3), Gbk("爱")},
        {"lead byte cut short", Gbk("愛") + "\x81", Gbk("爱")},
        {"empty", "", ""},
    };
    for (const ConversionCase& c : cases) {
        EXPECT_EQ(m_converter.SimplifyTraditional(c.big5), c.gb2312) << c.what;
    }
}

TEST(IsSystemGb2312, PassesOnlyForSimplifiedChinese) {
    const std::vector<std::pair<const char*, int>> cases = {
        {"zh_CN.UTF-8", 0},  {"zh_TW.UTF-8", -1}, {"zh_HK.UTF-8", -1},
        {"zh_SG.UTF-8", -1}, {"en_US.UTF-8", -1},
    };
    for (const auto& [locale, expected] : cases) {
        const ScopedVariable scoped("LC_ALL", locale);
        EXPECT_EQ(ChineseConverter::IsSystemGb2312(), expected) << locale;
    }
}

std::span<const unsigned char> FindNothing(std::string_view) {
    return {};
}

std::span<const unsigned char> FindOnlyGbToBig(std::string_view name) {
    return name == "GBTOBIG" ? resources::FindResource(name) : std::span<const unsigned char>{};
}

std::span<const unsigned char> FindTruncatedBigToGb(std::string_view name) {
    const auto data = resources::FindResource(name);
    return name == "BIGTOGB" ? data.first(data.size() - 2) : data;
}

struct LoadCase {
    const char* what;
    ConversionTables::ResourceFinder find;
    bool gbToBig;
    bool bigToGb;
};

TEST(ConversionTables, LeavesEachTableThatCannotBeFoundUnloaded) {
    const std::vector<LoadCase> cases = {
        {"both found", resources::FindResource, true, true},
        {"none found", FindNothing, false, false},
        {"BIGTOGB missing", FindOnlyGbToBig, true, false},
        {"BIGTOGB too short", FindTruncatedBigToGb, true, false},
    };
    for (const LoadCase& c : cases) {
        ConversionTables tables;
        tables.Load(c.find);
        EXPECT_EQ(tables.GetGbToBigTable() != nullptr, c.gbToBig) << c.what;
        EXPECT_EQ(tables.GetBigToGbTable() != nullptr, c.bigToGb) << c.what;
    }
}

TEST(ConversionTables, ConverterWithoutItsTableKeepsTheText) {
    ConversionTables tables;
    tables.Load(FindNothing);
    const ChineseConverter converter(tables);
    EXPECT_EQ(converter.Big5ToGb2312(kBig5ZhongGuo), kBig5ZhongGuo);
    EXPECT_EQ(converter.ConvertIfBig5(kBig5ZhongGuo), kBig5ZhongGuo);
    EXPECT_EQ(converter.SimplifyTraditional(Gbk("中國")), Gbk("中國"));
}

}  // namespace
