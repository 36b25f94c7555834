// From the tags in a file to the name the file pass gives it: the tags read as the run reads
// them, then the one naming chain the run calls.

#include "organizer/trackname.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "organizer/conversiontables.h"
#include "organizer/tagreader.h"
#include "platform/codepage.h"
#include "platform/module.h"
#include "platform/systeminfo.h"
#include "resources/embeddedresource.h"
#include "tests/support/encode.h"
#include "tests/support/mp3writer.h"
#include "tests/support/tempdir.h"
#include "tests/support/wmawriter.h"

namespace {

std::string Gbk(const char* utf8) {
    return codepage::Utf8ToCp936(utf8);
}

const std::string kBig5China = "\xA4\xA4\xB0\xEA";           // 中國
const std::string kBig5Fan = "\xA5\xC6";                     // 氾, which GB2312 lacks
const std::string kBig5Singer = "\xB1\x69\xBE\xC7\xA4\xCD";  // 張學友

// The ways a tagger stores a title.
enum class Form {
    Id3v1Gbk,
    Id3v1Big5,
    Id3v1Windows1252,
    Id3v2Latin1Gbk,   // an ID3v2.3 frame of encoding 0 holding GBK bytes
    Id3v2Latin1Big5,  // the same holding Big5 bytes
    Id3v2Utf16,       // ID3v2.3
    Id3v2Utf8,        // ID3v2.4
    Wma,
};

constexpr Form kForms[] = {
    Form::Id3v1Gbk,        Form::Id3v1Big5,  Form::Id3v1Windows1252, Form::Id3v2Latin1Gbk,
    Form::Id3v2Latin1Big5, Form::Id3v2Utf16, Form::Id3v2Utf8,        Form::Wma};

const char* FormName(Form form) {
    switch (form) {
        case Form::Id3v1Gbk:
            return "ID3v1 GBK";
        case Form::Id3v1Big5:
            return "ID3v1 Big5";
        case Form::Id3v1Windows1252:
            return "ID3v1 Windows-1252";
        case Form::Id3v2Latin1Gbk:
            return "ID3v2 Latin-1 frame, GBK bytes";
        case Form::Id3v2Latin1Big5:
            return "ID3v2 Latin-1 frame, Big5 bytes";
        case Form::Id3v2Utf16:
            return "ID3v2.3 UTF-16";
        case Form::Id3v2Utf8:
            return "ID3v2.4 UTF-8";
        case Form::Wma:
            return "WMA";
    }
    return "";
}

// The 8-bit code page of a form, or null for a Unicode form.
const char* CodePageOf(Form form) {
    switch (form) {
        case Form::Id3v1Gbk:
        case Form::Id3v2Latin1Gbk:
            return "GBK";
        case Form::Id3v1Big5:
        case Form::Id3v2Latin1Big5:
            return "CP950";
        case Form::Id3v1Windows1252:
            return "CP1252";
        default:
            return nullptr;
    }
}

class NameChainTest : public testing::Test {
protected:
    NameChainTest() { m_tables.Load(resources::FindResource); }

    static void SetUpTestSuite() {
        s_module = Module(sysinfo::ExecutableFolder() + "/" + kAsfmetaModule);
    }
    static void TearDownTestSuite() { s_module.Free(); }

    TrackName NameOf(const Mp3Fixture& fixture) {
        const std::string path = m_dir / "track05.mp3";
        EXPECT_TRUE(WriteMp3(path, fixture));
        TrackTags first;
        TrackTags second;
        ReadMp3Tags(path, first, second);
        return NameTrack(first, second, m_converter);
    }

    // The name of a file that holds `title` in `form`; nothing when the form cannot hold it.
    std::optional<std::string> NameOf(const std::string& title, Form form) {
        std::optional<std::string> bytes = title;
        if (const char* codePage = CodePageOf(form)) {
            bytes = EncodeAs(title, codePage);
        }
        if (!bytes || ((form == Form::Id3v1Gbk || form == Form::Id3v1Big5 ||
                        form == Form::Id3v1Windows1252) &&
                       bytes->size() > 30)) {
            return std::nullopt;
        }
        switch (form) {
            case Form::Id3v1Gbk:
            case Form::Id3v1Big5:
            case Form::Id3v1Windows1252:
                return NameOf({.id3v1 = Id3v1Tag{.title = *bytes}}).title;
            case Form::Id3v2Latin1Gbk:
            case Form::Id3v2Latin1Big5:
                return NameOf({.id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text(*bytes)}}}}).title;
            case Form::Id3v2Utf16:
                return NameOf({.id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf16Text(Utf16Of(title))}}}})
                    .title;
            case Form::Id3v2Utf8:
                return NameOf(
                           {.id3v2 = Id3v2Tag{.version = 4, .frames = {{"TIT2", Utf8Text(title)}}}})
                    .title;
            case Form::Wma:
                return WmaNameOf(title);
        }
        return std::nullopt;
    }

    std::string WmaNameOf(const std::string& title) {
        const std::string path = m_dir / "track05.wma";
        EXPECT_TRUE(WriteWma(path, title, "", ""));
        TrackTags first;
        ReadWmaAttributes(path, first, s_module.GetProcAddress<PFN_GETASFMETA>(kGetAsfmetaExport));
        return NameTrack(first, {}, m_converter).title;
    }

    static Module s_module;
    TempDir m_dir;
    ConversionTables m_tables;
    ChineseConverter m_converter{m_tables};
};

Module NameChainTest::s_module;

// One title gives one name whichever form holds it: the Big5 guess decides only 8-bit text,
// Unicode text is simplified as its Big5 form would be, and 8-bit text that is no clean
// Chinese is read in the first code page that fits.
TEST_F(NameChainTest, EveryFormOfATitleGivesOneName) {
    struct Case {
        std::string title;
        std::string name;
    };
    const std::vector<Case> cases = {
        {"紅豆", "红豆"},
        {"愛情故事", "爱情故事"},
        {"後來", "后来"},
        {"小雨", "小雨"},
        {"童話", "童话"},
        {"05.紅日", "红日"},
        {"一場氾濫", "一场氾滥"},  // 氾 has no simplified form and stays
        {"Café del Mar", "Café del Mar"},
        {"Pokémon Theme", "Pokémon Theme"},
        {"Señor Sí", "Señor Sí"},
        {"Über Alles", "Über Alles"},
        {"Beyoncé – Halo", "Beyoncé – Halo"},
        {"Don’t Stop", "Don’t Stop"},
        {"사랑해", "사랑해"},
    };
    // What the naming rules make of a form that cannot be told apart from another: 8-bit
    // text is taken for GB2312 when it looks pure and for Big5 when it converts to pure
    // GB2312; GBK is read before Big5.
    struct Documented {
        std::string title;
        Form form;
        std::string name;  // "" for a file kept for want of a title
    };
    const std::vector<Documented> documented = {
        // GBK bytes of traditional characters convert "from Big5" to pure GB2312.
        {"紅豆", Form::Id3v1Gbk, "厂饪"},
        {"紅豆", Form::Id3v2Latin1Gbk, "厂饪"},
        // Big5 bytes that are also pure GB2312 are taken for GB2312.
        {"童話", Form::Id3v1Big5, "担杠"},
        {"童話", Form::Id3v2Latin1Big5, "担杠"},
        // An ID3v2 title that is neither pure GB2312 nor Big5 is read as the first code page
        // that fits, and GBK is read before Big5.
        {"Don’t Stop", Form::Id3v2Latin1Big5, "Donˇt Stop"},
        // Accented letters in GBK (row 0xA8) pair up as Big5 characters that convert cleanly.
        {"Café del Mar", Form::Id3v1Gbk, "Caf谷 del Mar"},
        {"Café del Mar", Form::Id3v2Latin1Gbk, "Caf谷 del Mar"},
        {"Pokémon Theme", Form::Id3v1Gbk, "Pok谷mon Theme"},
        {"Pokémon Theme", Form::Id3v2Latin1Gbk, "Pok谷mon Theme"},
        {"Beyoncé – Halo", Form::Id3v1Gbk, "Beyonc谷 每 Halo"},
        {"Beyoncé – Halo", Form::Id3v2Latin1Gbk, "Beyonc谷 每 Halo"},
        // Ü and b in Windows-1252 are the bytes of a Big5 character with a GB2312 counterpart.
        {"Über Alles", Form::Id3v1Windows1252, "钫er Alles"},
        // The Big5 apostrophe is also a GBK character, and GBK is read first.
        {"Don’t Stop", Form::Id3v1Big5, "Donˇt Stop"},
    };
    for (const Case& c : cases) {
        for (const Form form : kForms) {
            SCOPED_TRACE(c.title + ", " + FormName(form));
            const std::optional<std::string> name = NameOf(c.title, form);
            if (!name) {
                continue;  // the form cannot hold the title
            }
            std::string expected = c.name;
            for (const Documented& d : documented) {
                if (d.title == c.title && d.form == form) {
                    expected = d.name;
                }
            }
            EXPECT_EQ(*name, expected);
        }
    }
    // Forms that cannot hold a title are no way out of the check above.
    for (const Documented& d : documented) {
        EXPECT_TRUE(NameOf(d.title, d.form)) << d.title << ", " << FormName(d.form);
    }
    EXPECT_EQ(NameOf("사랑해", Form::Wma), "사랑해");
    EXPECT_EQ(NameOf("Señor Sí", Form::Id3v1Windows1252), "Señor Sí");
}

TEST_F(NameChainTest, TagsBecomeTheExpectedNames) {
    struct Case {
        const char* name;
        Mp3Fixture fixture;
        TrackName expected;
    };
    const std::vector<Case> cases = {
        {"GBK ID3v1",
         {.id3v1 = Id3v1Tag{.title = Gbk("01.小雨"), .artist = Gbk("abccom-歌手甲")}},
         {"小雨", "歌手甲"}},
        {"Big5 ID3v1",
         {.id3v1 = Id3v1Tag{.title = kBig5China, .artist = kBig5Singer}},
         {"中国", "张学友"}},
        {"empty ID3v1, GBK ID3v2",
         {.id3v1 = Id3v1Tag{.artist = Gbk("别人")},
          .id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text(Gbk("月亮代表我的心"))},
                                       {"TPE1", Latin1Text(Gbk("邓丽君"))}}}},
         {"月亮代表我的心", "邓丽君"}},
        {"UTF-16 ID3v2",
         {.id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf16Text(u"03.故鄉")},
                                       {"TPE2", Utf16Text(u"樂隊_現場")}}}},
         {"故乡", "乐队"}},
        {"UTF-8 ID3v2.4",
         {.id3v2 =
              Id3v2Tag{.version = 4,
                       .frames = {{"TPE1", Utf8Text("群星")}, {"TIT2", Utf8Text("明天会更好")}}}},
         {"明天会更好", "群星"}},
        // Big5 bytes that also read as GBK, which is read first.
        {"Big5 without counterpart, nothing better",
         {.id3v1 = Id3v1Tag{.title = kBig5China + kBig5Fan}},
         {"い瓣テ", ""}},
        {"Big5 without counterpart, clean ID3v2",
         {.id3v1 = Id3v1Tag{.title = kBig5China + kBig5Fan},
          .id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf16Text(u"中国风", true)}}}},
         {"中国风", ""}},
        {"Latin ID3v1 artist",
         {.id3v1 = Id3v1Tag{.title = "Halo", .artist = "Beyonc\xE9"}},
         {"Halo", "Beyoncé"}},
        {"illegal characters",
         {.id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf8Text("<小雨>: \"live\" a/b\\c*?")},
                                       {"TPE1", Utf8Text(" 歌手甲? ")}}}},
         {"小雨 live abc", "歌手甲"}},
        {"control characters",
         {.id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf8Text("Line1\nLine2\x1B[31m\a\x7F")},
                                       {"TPE1", Utf8Text("\t歌手\r甲")}}}},
         {"Line1Line2[31m", "歌手甲"}},
        {"leading dots",
         {.id3v1 = Id3v1Tag{.title = "..x", .artist = ". . .hidden"}},
         {"x", "hidden"}},
        {"a track number, then a dot", {.id3v1 = Id3v1Tag{.title = "01..mp3"}}, {"mp3", ""}},
        {"no tags", {}, {"", "", Reason::NoTitle}},
        {"only a track number",
         {.id3v1 = Id3v1Tag{.title = "01."}},
         {"", "", Reason::NoUsableTitle}},
        {"only dots and spaces",
         {.id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf16Text(u". . .")}}}},
         {"", "", Reason::NoUsableTitle}},
        {"only controls and illegal characters",
         {.id3v1 = Id3v1Tag{.title = "\x01<\x02>\x1F", .artist = Gbk("歌手甲")}},
         {"", "歌手甲", Reason::NoUsableTitle}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TrackName name = NameOf(c.fixture);
        EXPECT_EQ(name.title, c.expected.title);
        EXPECT_EQ(name.artist, c.expected.artist);
        EXPECT_EQ(name.reason, c.expected.reason);
    }
}

// Bytes in `charset` of a UTF-8 text; the test fails where the set lacks a character.
std::string Bytes(const char* utf8, const char* charset) {
    const std::optional<std::string> bytes = EncodeAs(utf8, charset);
    EXPECT_TRUE(bytes) << utf8 << " in " << charset;
    return bytes.value_or("");
}

// When the two tag sets of a file disagree, the one whose reading can be trusted names it:
// a Unicode ID3v2 title over 8-bit ID3v1 bytes of another language that pass the GB2312 test
// by chance; a full title over an ID3v1 title cut at its 30 bytes; and a title of the ID3v2
// set only (Latin text among it) over no title at all.
TEST_F(NameChainTest, TheTrustworthySetNamesTheFileWhenTheSetsDisagree) {
    // 30 bytes of GBK and of Big5: the first 15 characters of the title.
    const char* longTitle = "我们的爱情故事从这里开始直到永远永远";
    const char* longTraditional = "我們的愛情故事從這裡開始直到永遠永遠";
    const std::string gbkCut = Bytes(longTitle, "GBK").substr(0, 30);
    const std::string big5Cut = Bytes(longTraditional, "BIG5").substr(0, 30);
    // Ten ASCII letters, then Chinese: the 30th byte is a lead byte alone.
    const std::string oddCut = Bytes("abcdefghi 我们的爱情故事从这里开始", "GBK").substr(0, 30);
    const std::string gbkLove = Bytes("爱你一万年", "GBK");
    struct Case {
        const char* what;
        Mp3Fixture fixture;
        TrackName expected;
    };
    const std::vector<Case> cases = {
        // Legacy bytes of another language beside the same title in Unicode.
        {"EUC-KR in ID3v1, UTF-16 ID3v2",
         {.id3v1 = Id3v1Tag{.title = Bytes("보고보고", "EUC-KR"), .artist = "one"},
          .id3v2 =
              Id3v2Tag{.frames = {{"TIT2", Utf16Text(u"보고보고")}, {"TPE1", Utf16Text(u"two")}}}},
         {"보고보고", "two"}},
        {"UTF-8 bytes in ID3v1, UTF-16 ID3v2",
         {.id3v1 = Id3v1Tag{.title = "räksmörgås"},
          .id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf16Text(u"räksmörgås")}}}},
         {"räksmörgås", ""}},
        {"Shift-JIS in ID3v1, UTF-8 ID3v2.4",
         {.id3v1 = Id3v1Tag{.title = Bytes("ｶﾗｵｹ", "SHIFT_JIS"), .artist = "one"},
          .id3v2 = Id3v2Tag{.version = 4, .frames = {{"TIT2", Utf8Text("ｶﾗｵｹ")}}}},
         {"ｶﾗｵｹ", "one"}},
        // The specified order holds where the sets agree or where ID3v2 cannot be trusted more.
        {"the same title in both",
         {.id3v1 = Id3v1Tag{.title = Gbk("小雨"), .artist = "one"},
          .id3v2 =
              Id3v2Tag{.frames = {{"TIT2", Utf16Text(u"小雨 ")}, {"TPE1", Utf16Text(u"two")}}}},
         {"小雨", "one"}},
        {"Big5 ID3v1, the traditional title in UTF-16",
         {.id3v1 = Id3v1Tag{.title = kBig5China, .artist = "one"},
          .id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf16Text(u"中國")}}}},
         {"中国", "one"}},
        {"8-bit ID3v2 that reads otherwise",
         {.id3v1 = Id3v1Tag{.title = Gbk("小雨")},
          .id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text(Gbk("大雨"))}}}},
         {"小雨", ""}},
        {"widened bytes in UTF-16 ID3v2",
         {.id3v1 = Id3v1Tag{.title = gbkLove},
          .id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf16Text(Widened(Bytes("大雨", "GBK")))}}}},
         {"爱你一万年", ""}},
        {"ASCII ID3v1, another title in UTF-16",
         {.id3v1 = Id3v1Tag{.title = "Track 01"},
          .id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf16Text(u"小雨")}}}},
         {"Track 01", ""}},
        // An ID3v1 title cut at its 30 bytes gives way to the title it was cut from.
        {"GBK cut, GBK ID3v2",
         {.id3v1 = Id3v1Tag{.title = gbkCut, .artist = "one"},
          .id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text(Bytes(longTitle, "GBK"))}}}},
         {longTitle, "one"}},
        {"Big5 cut, traditional UTF-16 ID3v2",
         {.id3v1 = Id3v1Tag{.title = big5Cut},
          .id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf16Text(Utf16Of(longTraditional))}}}},
         {longTitle, ""}},
        {"Big5 cut, Big5 ID3v2",
         {.id3v1 = Id3v1Tag{.title = big5Cut},
          .id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text(Bytes(longTraditional, "BIG5"))}}}},
         {longTitle, ""}},
        {"cut inside a character",
         {.id3v1 = Id3v1Tag{.title = oddCut},
          .id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf8Text("abcdefghi 我们的爱情故事从这里开始")}}}},
         {"abcdefghi 我们的爱情故事从这里开始", ""}},
        {"a full ID3v1 title that ID3v2 does not continue",
         {.id3v1 = Id3v1Tag{.title = gbkCut},
          .id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text(Gbk("小雨"))}}}},
         {"我们的爱情故事从这里开始直到永", ""}},
        // A title of the ID3v2 set only is read even where it is no clean Chinese.
        {"Latin-1 in ID3v2 only",
         {.id3v1 = Id3v1Tag{.artist = "one"},
          .id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text("Caf\xE9 M\xFCller")},
                                       {"TPE1", Latin1Text("Pina Bausch")}}}},
         {"Café Müller", "Pina Bausch"}},
        {"Windows-1252 in ID3v2 only",
         {.id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text("Don\x92t Stop \x96 Live")}}}},
         {"Don’t Stop – Live", ""}},
        {"GBK traditional in ID3v2 only",
         {.id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text(Bytes("童話", "GBK"))}}}},
         {"童话", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TrackName name = NameOf(c.fixture);
        EXPECT_EQ(name.title, c.expected.title);
        EXPECT_EQ(name.artist, c.expected.artist);
        EXPECT_EQ(name.reason, c.expected.reason);
    }
}

}  // namespace
