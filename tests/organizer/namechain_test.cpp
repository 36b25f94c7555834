// From the tags in a file to the name the file pass gives it: both tag sets read, the title
// chosen, its track number stripped, the artist cut, both cleaned.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "organizer/chineseconverter.h"
#include "organizer/conversiontables.h"
#include "organizer/namebuilder.h"
#include "organizer/tagreader.h"
#include "platform/codepage.h"
#include "resources/embeddedresource.h"
#include "tests/support/mp3writer.h"
#include "tests/support/tempdir.h"

namespace {

std::string Gbk(const char* utf8) {
    return codepage::Utf8ToCp936(utf8);
}

const std::string kBig5China = "\xA4\xA4\xB0\xEA";           // 中國
const std::string kBig5Fan = "\xA5\xC6";                     // 氾, which GB2312 lacks
const std::string kBig5Singer = "\xB1\x69\xBE\xC7\xA4\xCD";  // 張學友

// The new file name and the artist (its folder name), both UTF-8 as the file system holds them.
struct Naming {
    std::string fileName;
    std::string artist;
};

class NameChainTest : public testing::Test {
protected:
    NameChainTest() { m_tables.Load(resources::FindResource); }

    Naming NameOf(const Mp3Fixture& fixture) {
        const std::string path = m_dir / "track05.mp3";
        EXPECT_TRUE(WriteMp3(path, fixture));
        TrackTags first;
        TrackTags second;
        ReadMp3Tags(path, first, second);
        const TitleAndArtist chosen = ChooseTitle(first, second, m_converter);
        std::string title = StripTrackNumber(chosen.title);
        std::string artist = CutArtist(chosen.artist);
        RemoveIllegalChars(title);
        RemoveIllegalChars(artist);
        return {codepage::Cp936ToUtf8(title) + ".mp3", codepage::Cp936ToUtf8(artist)};
    }

    TempDir m_dir;
    ConversionTables m_tables;
    ChineseConverter m_converter{m_tables};
};

TEST_F(NameChainTest, TagsBecomeTheExpectedNames) {
    struct Case {
        const char* name;
        Mp3Fixture fixture;
        Naming expected;
    };
    const std::vector<Case> cases = {
        {"GBK ID3v1",
         {.id3v1 = Id3v1Tag{.title = Gbk("01.小雨"), .artist = Gbk("abccom-歌手甲")}},
         {"小雨.mp3", "歌手甲"}},
        {"Big5 ID3v1",
         {.id3v1 = Id3v1Tag{.title = kBig5China, .artist = kBig5Singer}},
         {"中国.mp3", "张学友"}},
        {"empty ID3v1, GBK ID3v2",
         {.id3v1 = Id3v1Tag{.artist = Gbk("别人")},
          .id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text(Gbk("月亮代表我的心"))},
                                       {"TPE1", Latin1Text(Gbk("邓丽君"))}}}},
         {"月亮代表我的心.mp3", "邓丽君"}},
        {"UTF-16 ID3v2",
         {.id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf16Text(u"03.故乡")},
                                       {"TPE2", Utf16Text(u"乐队_现场")}}}},
         {"故乡.mp3", "乐队"}},
        {"UTF-8 ID3v2.4",
         {.id3v2 =
              Id3v2Tag{.version = 4,
                       .frames = {{"TPE1", Utf8Text("群星")}, {"TIT2", Utf8Text("明天会更好")}}}},
         {"明天会更好.mp3", "群星"}},
        {"Big5 without counterpart, nothing better",
         {.id3v1 = Id3v1Tag{.title = kBig5China + kBig5Fan}},
         {"い瓣テ.mp3", ""}},  // the raw Big5 bytes, read as GBK
        {"Big5 without counterpart, clean ID3v2",
         {.id3v1 = Id3v1Tag{.title = kBig5China + kBig5Fan},
          .id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf16Text(u"中国风", true)}}}},
         {"中国风.mp3", ""}},
        {"illegal characters",
         {.id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf8Text("<小雨>: \"live\" a/b\\c*?")},
                                       {"TPE1", Utf8Text(" 歌手甲? ")}}}},
         {"小雨 live abc.mp3", "歌手甲"}},
        {"only a track number", {.id3v1 = Id3v1Tag{.title = "01."}}, {".mp3", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Naming naming = NameOf(c.fixture);
        EXPECT_EQ(naming.fileName, c.expected.fileName);
        EXPECT_EQ(naming.artist, c.expected.artist);
    }
}

}  // namespace
