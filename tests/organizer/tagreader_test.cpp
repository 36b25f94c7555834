#include "organizer/tagreader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "organizer/id3v2field.h"
#include "organizer/id3v2tag.h"
#include "organizer/tagbody.h"
#include "tests/support/fileio.h"
#include "tests/support/memorybytes.h"
#include "tests/support/mp3writer.h"
#include "tests/support/tempdir.h"

// Found by GoogleTest beside the type, to print the fields of a failed comparison.
static void PrintTo(const TrackTags& tags, std::ostream* os) {
    const auto origin = [](TextOrigin o) { return o == TextOrigin::Unicode ? "U" : "8"; };
    *os << "{title \"" << tags.title << "\" " << origin(tags.titleOrigin) << ", artist \""
        << tags.artist << "\" " << origin(tags.artistOrigin) << ", album \"" << tags.album << "\" "
        << origin(tags.albumOrigin) << "}";
}

namespace {

using namespace std::string_view_literals;

// Code page 936 (GBK) bytes of the texts used below.
const std::string kGbkChina = "\xD6\xD0\xB9\xFA";           // 中国
const std::string kGbkXiaoYu = "\xD0\xA1\xD3\xEA";          // 小雨
const std::string kGbkSinger = "\xB8\xE8\xCA\xD6\xBC\xD7";  // 歌手甲
const std::string kBig5China = "\xA4\xA4\xB0\xEA";          // 中國, as Big5
// U+20000, outside the Basic Multilingual Plane: four bytes in GB18030.
const std::string kGb18030Ext = "\x95\x32\x82\x36";

// The tags as read from Unicode text: every field that is present marked so.
TrackTags FromUnicode(TrackTags tags) {
    for (auto [text, origin] : {std::pair{&tags.title, &tags.titleOrigin},
                                {&tags.artist, &tags.artistOrigin},
                                {&tags.album, &tags.albumOrigin}}) {
        *origin = text->empty() ? TextOrigin::EightBit : TextOrigin::Unicode;
    }
    return tags;
}

struct BothTags {
    TrackTags first;
    TrackTags second;
};

class TagReaderTest : public testing::Test {
protected:
    std::string Write(const Mp3Fixture& fixture, const std::string& name = "song.mp3") {
        const std::string path = m_dir / name;
        EXPECT_TRUE(WriteMp3(path, fixture));
        return path;
    }

    std::string WriteBytes(const std::string& bytes, const std::string& name = "song.mp3") {
        const std::string path = m_dir / name;
        WriteFile(path, bytes);
        return path;
    }

    // Reads as the file pass does: both tags from one opening of the file.
    static BothTags Read(const std::string& path) {
        BothTags tags;
        ReadMp3Tags(path, tags.first, tags.second);
        return tags;
    }

    TrackTags ReadId3v2(const Mp3Fixture& fixture) { return Read(Write(fixture)).second; }

    TempDir m_dir;
};

Mp3Fixture WithId3v2(int version, std::vector<Id3v2Frame> frames) {
    return {.id3v2 = Id3v2Tag{.version = version, .frames = std::move(frames)}};
}

TEST_F(TagReaderTest, ReadsEachTagIntoItsOwnRecord) {
    const Id3v1Tag v1{.title = kGbkXiaoYu, .artist = kGbkSinger, .album = "Album"};
    const Id3v2Tag v2{.frames = {{"TIT2", Latin1Text(kGbkChina)},
                                 {"TPE1", Latin1Text("Artist")},
                                 {"TALB", Latin1Text("Disc")}}};

    const BothTags onlyV1 = Read(Write({.id3v1 = v1}, "v1.mp3"));
    EXPECT_EQ(onlyV1.first, (TrackTags{kGbkXiaoYu, kGbkSinger, "Album"}));
    EXPECT_EQ(onlyV1.second, TrackTags{});

    const BothTags onlyV2 = Read(Write({.id3v2 = v2}, "v2.mp3"));
    EXPECT_EQ(onlyV2.first, TrackTags{});
    EXPECT_EQ(onlyV2.second, (TrackTags{kGbkChina, "Artist", "Disc"}));

    const BothTags both = Read(Write({.id3v1 = v1, .id3v2 = v2}, "both.mp3"));
    EXPECT_EQ(both.first, onlyV1.first);
    EXPECT_EQ(both.second, onlyV2.second);
}

TEST_F(TagReaderTest, FilesWithoutTagsGiveEmptyRecords) {
    const std::vector<std::string> paths = {
        Write({}, "audio-only.mp3"),
        WriteBytes("", "empty.mp3"),
        WriteBytes("TAG", "tiny.mp3"),
        WriteBytes("ID3", "cut-header.mp3"),
        m_dir / "missing.mp3",
        m_dir.path(),  // a folder
    };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const BothTags tags = Read(path);
        EXPECT_EQ(tags.first, TrackTags{});
        EXPECT_EQ(tags.second, TrackTags{});
    }
}

TEST_F(TagReaderTest, EveryFieldIsAssigned) {
    const std::string path = Write({.id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text("T")}}}});
    const TrackTags stale{"old title", "old artist", "old album"};
    BothTags tags{stale, stale};
    ReadMp3Tags(path, tags.first, tags.second);
    EXPECT_EQ(tags.first, TrackTags{});
    EXPECT_EQ(tags.second, (TrackTags{"T", "", ""}));
}

TEST_F(TagReaderTest, Id3v1FieldsKeepTheirBytesUpToTheFirstNulWithoutTrailingSpaces) {
    struct Case {
        std::string stored;
        char fill;
        std::string expected;
    };
    const std::string thirty = "123456789012345678901234567890";
    const std::vector<Case> cases = {
        {kGbkXiaoYu, '\0', kGbkXiaoYu},
        {kBig5China, '\0', kBig5China},  // Big5 stays Big5 here
        {"Song", ' ', "Song"},
        {"Song  ", '\0', "Song"},
        {"  Song", '\0', "  Song"},
        {"Song\tx", ' ', "Song\tx"},
        {std::string("AB\0CD", 5), ' ', "AB"},
        {thirty + "cut", '\0', thirty},
        {"\x80\xFF\xA1", '\0', "\x80\xFF\xA1"},
        {"", ' ', ""},
        {"", '\0', ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        const Id3v1Tag v1{.title = c.stored, .artist = c.stored, .album = c.stored, .fill = c.fill};
        const TrackTags tags = Read(Write({.id3v1 = v1})).first;
        EXPECT_EQ(tags, (TrackTags{c.expected, c.expected, c.expected}));
    }
}

TEST_F(TagReaderTest, EveryVersionAndEncodingReadsAsCodePage936) {
    struct Case {
        const char* name;
        std::string fields;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"ISO-8859-1 holding GBK", Latin1Text(kGbkChina), kGbkChina},
        {"ISO-8859-1 holding Big5", Latin1Text(kBig5China), kBig5China},
        {"UTF-16 little-endian", Utf16Text(u"中国"), kGbkChina},
        {"UTF-16 big-endian", Utf16Text(u"中国", true), kGbkChina},
        {"UTF-16BE", Utf16BeText(u"中国"), kGbkChina},
        {"UTF-8", Utf8Text("中国"), kGbkChina},
        {"UTF-16 ASCII", Utf16Text(u"Song"), "Song"},
        {"UTF-16 surrogate pair", Utf16Text(u"\U00020000x"), kGb18030Ext + "x"},
        {"UTF-8 mixed", Utf8Text("01.中国 Live"), "01." + kGbkChina + " Live"},
        {"UTF-16 with a terminator", Utf16Text(std::u16string(u"中国\0", 3)), kGbkChina},
        {"ISO-8859-1 with a terminator", Latin1Text(std::string("Song\0", 5)), "Song"},
    };
    for (const int version : {2, 3, 4}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "ID3v2." << version << " " << c.name);
            const std::string id = version == 2 ? "TT2" : "TIT2";
            EXPECT_EQ(ReadId3v2(WithId3v2(version, {{id, c.fields}})).title, c.expected);
        }
    }
}

TEST_F(TagReaderTest, Utf16WithoutByteOrderMarkIsReadInTheLikelyOrder) {
    struct Case {
        const char* name;
        std::u16string text;
        bool bigEndian;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"Chinese, little-endian", u"中国", false, kGbkChina},
        {"Chinese, big-endian", u"中国", true, kGbkChina},
        {"ASCII, little-endian", u"Song", false, "Song"},
        {"ASCII, big-endian", u"Song", true, "Song"},
        {"mixed, big-endian", u"01.小雨", true, "01." + kGbkXiaoYu},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Mp3Fixture fixture = WithId3v2(3, {{"TIT2", Utf16Text(c.text, c.bigEndian, false)}});
        EXPECT_EQ(ReadId3v2(fixture).title, c.expected);
    }
}

TEST_F(TagReaderTest, CompressedUnsynchronisedAndPaddedTagsRead) {
    const std::string utf16 = Utf16Text(u"小雨");  // its mark FF FE needs unsynchronisation
    const Id3v2Frame picture = PictureFrame(300 * 1024);
    struct Case {
        const char* name;
        Id3v2Tag tag;
    };
    const std::vector<Case> cases = {
        {"2.3 compressed", {.version = 3, .frames = {{"TIT2", utf16, true}}}},
        {"2.4 compressed", {.version = 4, .frames = {{"TIT2", utf16, true}}}},
        {"2.4 frame unsynchronised", {.version = 4, .frames = {{"TIT2", utf16, false, true}}}},
        {"2.4 compressed and unsynchronised",
         {.version = 4, .frames = {{"TIT2", utf16, true, true}}}},
        {"2.2 tag unsynchronised",
         {.version = 2, .frames = {{"TT2", utf16}}, .unsynchronised = true}},
        {"2.3 tag unsynchronised",
         {.version = 3, .frames = {picture, {"TIT2", utf16}}, .unsynchronised = true}},
        {"2.4 tag unsynchronised",
         {.version = 4, .frames = {picture, {"TIT2", utf16}}, .unsynchronised = true}},
        {"2.3 extended header",
         {.version = 3, .frames = {{"TIT2", utf16}}, .padding = 64, .extendedHeader = true}},
        {"2.4 extended header",
         {.version = 4, .frames = {{"TIT2", utf16}}, .extendedHeader = true}},
        {"4 KB padding", {.version = 3, .frames = {{"TIT2", utf16}}, .padding = 4096}},
        {"picture first", {.version = 3, .frames = {picture, {"TIT2", utf16}}}},
        {"2.4 picture first", {.version = 4, .frames = {picture, {"TIT2", utf16}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Mp3Fixture fixture{.id3v1 = Id3v1Tag{.title = "v1"}, .id3v2 = c.tag};
        const BothTags tags = Read(Write(fixture));
        EXPECT_EQ(tags.second.title, kGbkXiaoYu);
        EXPECT_EQ(tags.first.title, "v1");
    }
}

TEST_F(TagReaderTest, LargeTagsAreReadAsFarAsTheNamesNeed) {
    const Id3v2Frame picture = PictureFrame(200 * 1024);
    const Id3v2Frame title{"TIT2", Latin1Text("title")};
    const Id3v2Frame album{"TALB", Latin1Text("album")};
    struct Case {
        const char* name;
        std::vector<Id3v2Frame> frames;
        TrackTags expected;
    };
    const std::vector<Case> cases = {
        {"all text first",
         {title, {"TPE1", Latin1Text("lead")}, album, picture, {"TIT2", Latin1Text("later")}},
         {"title", "lead", "album"}},
        {"band after the picture",
         {title, album, picture, {"TPE2", Latin1Text("band")}},
         {"title", "band", "album"}},
        {"album after the picture",
         {title, {"TPE1", Latin1Text("lead")}, picture, album},
         {"title", "lead", "album"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const int version : {3, 4}) {
            EXPECT_EQ(ReadId3v2(WithId3v2(version, c.frames)), c.expected);
        }
    }
}

TEST_F(TagReaderTest, ATitleAfterAHugePictureIsReachedWithoutReadingThePicture) {
    const Id3v2Frame picture = PictureFrame(17 * 1024 * 1024);
    const std::vector<Id3v2Frame> frames = {
        picture, {"TIT2", Latin1Text("title")}, {"TPE1", Latin1Text("artist")}};
    struct Case {
        const char* name;
        Id3v2Tag tag;
        bool readThrough;  // unsynchronisation of the whole tag hides where frames end
    };
    const std::vector<Case> cases = {
        {"ID3v2.3", {.version = 3, .frames = frames}, false},
        {"ID3v2.4", {.version = 4, .frames = frames}, false},
        {"ID3v2.4 unsynchronised", {.version = 4, .frames = frames, .unsynchronised = true}, false},
        {"ID3v2.3 unsynchronised", {.version = 3, .frames = frames, .unsynchronised = true}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes = RenderMp3({.id3v1 = Id3v1Tag{.title = "v1"}, .id3v2 = c.tag});
        const CountingBytes file(bytes);
        BothTags tags;
        ReadMp3Tags(file, tags.first, tags.second);
        EXPECT_EQ(tags.second, (TrackTags{"title", "artist", ""}));
        EXPECT_EQ(tags.first.title, "v1");
        if (!c.readThrough) {
            EXPECT_LT(file.bytesRead, 64U * 1024U);
        }
    }
    // And from a file on disk.
    EXPECT_EQ(ReadId3v2(WithId3v2(3, frames)), (TrackTags{"title", "artist", ""}));
}

// The bytes of `frame` as a tag of `version` holds it.
std::string FrameBytes(int version, const Id3v2Frame& frame) {
    const Mp3Fixture tag{.id3v2 = Id3v2Tag{.version = version, .frames = {frame}},
                         .audioFrames = 0};
    return RenderMp3(tag).substr(kId3v2HeaderSize);
}

std::string Times(std::size_t count, const std::string& bytes) {
    std::string out;
    out.reserve(count * bytes.size());
    for (std::size_t i = 0; i < count; ++i) {
        out += bytes;
    }
    return out;
}

// A file of a tag of `version` and `flags` around `frames`, which it counts as `declared`
// bytes when given.
std::string TagFile(int version, unsigned flags, const std::string& frames,
                    std::size_t declared = 0) {
    const std::size_t size = declared != 0 ? declared : frames.size();
    std::string bytes = "ID3";
    bytes += {static_cast<char>(version), '\0', static_cast<char>(flags)};
    for (const int shift : {21, 14, 7, 0}) {
        bytes += static_cast<char>((size >> shift) & 0x7F);
    }
    return bytes + frames + RenderMp3({});
}

// Tags made to cost the reader the most: what lies within the bounds of id3v2tag.h and
// tagbody.h is read, nothing beyond them, and little of the file.
TEST_F(TagReaderTest, HostileTagsAreReadWithinBounds) {
    const std::string title = FrameBytes(3, {"TIT2", Latin1Text("title")});
    const std::string compressedTitle = FrameBytes(3, {"TIT2", Latin1Text("title"), true});
    // Inflates beyond the most a field may have, and is left out.
    const std::string tooLong = FrameBytes(3, {"TIT2", Latin1Text(std::string(70000, 'a')), true});
    const std::string empty = FrameBytes(3, {"TXXX", ""});
    std::string unknownEncoding = title;
    unknownEncoding[10] = '\x09';
    const std::size_t inflations = kMaxInflatedBytes / kMaxFieldSize;
    const std::string picture = FrameBytes(3, {"APIC", std::string(kMaxUnsynchronisedBytes, 'p')});
    struct Case {
        const char* name;
        std::string bytes;
        std::string title;
        std::size_t mostRead;
    };
    const std::vector<Case> cases = {
        {"inflations within the bound, then a title",
         TagFile(3, 0, Times(inflations - 1, tooLong) + compressedTitle), "title", 4096},
        {"inflations up to the bound, then a title",
         TagFile(3, 0, Times(inflations, tooLong) + compressedTitle), "", 4096},
        {"20,000 frames inflating too far", TagFile(3, 0, Times(20000, tooLong) + title), "",
         16 * 1024},
        {"frames decoded within the bound, then a title",
         TagFile(3, 0, Times(kMaxFramesDecoded - 1, unknownEncoding) + title), "title", 4096},
        {"frames decoded up to the bound, then a title",
         TagFile(3, 0, Times(kMaxFramesDecoded, unknownEncoding) + title), "", 4096},
        {"frames within the bound, then a title",
         TagFile(3, 0, Times(kMaxFramesWalked - 1, empty) + title), "title", 16 * 1024},
        {"frames up to the bound, then a title",
         TagFile(3, 0, Times(kMaxFramesWalked, empty) + title), "", 16 * 1024},
        {"unsynchronised tag of 100,000 empty frames",
         TagFile(3, 0x80, Times(100000, empty) + title), "", 128 * 1024},
        {"unsynchronised tag: a picture past the bound, then a title",
         TagFile(3, 0x80, picture + title), "", kMaxUnsynchronisedBytes + 4096},
        {"a tag of 256 MB declared in a small file", TagFile(3, 0, title, (1 << 28) - 1), "title",
         4096},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CountingBytes file(c.bytes);
        BothTags tags;
        ReadMp3Tags(file, tags.first, tags.second);
        EXPECT_EQ(tags.second.title, c.title);
        EXPECT_LE(file.bytesRead, c.mostRead);
    }
}

TEST_F(TagReaderTest, AnAppendedTagIsFoundThroughItsFooter) {
    const Id3v2Tag appended{.version = 4, .frames = {{"TIT2", Latin1Text("end")}}, .footer = true};
    const Id3v2Tag atStart{.version = 3, .frames = {{"TIT2", Latin1Text("start")}}};
    const std::string endTag = RenderMp3({.id3v2 = appended, .audioFrames = 0});
    const std::string id3v1 = RenderMp3({.id3v1 = Id3v1Tag{.title = "v1"}, .audioFrames = 0});
    const std::string audio = RenderMp3({});
    std::string badFooter = endTag;
    badFooter[badFooter.size() - 1] ^= 1;  // the footer's size no longer that of the header
    std::string noFooter = endTag.substr(0, endTag.size() - kId3v2HeaderSize);
    struct Case {
        const char* name;
        std::string bytes;
        std::string title;
    };
    const std::vector<Case> cases = {
        {"before an ID3v1 tag", audio + endTag + id3v1, "end"},
        {"at the very end", audio + endTag, "end"},
        {"a tag at the start wins", RenderMp3({.id3v2 = atStart}) + endTag, "start"},
        {"the whole file", endTag, "end"},
        {"footer not matching", audio + badFooter + id3v1, ""},
        {"no footer", audio + noFooter + id3v1, ""},
        {"footer after the ID3v1 tag", audio + id3v1 + endTag, "end"},
        {"footer alone", audio + endTag.substr(endTag.size() - kId3v2HeaderSize), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Read(WriteBytes(c.bytes)).second.title, c.title);
    }
}

TEST_F(TagReaderTest, AnExtendedHeaderFlagWithoutTheHeaderIsForgiven) {
    for (const int version : {3, 4}) {
        SCOPED_TRACE(version);
        std::string bytes = RenderMp3(WithId3v2(version, {{"TIT2", Latin1Text("title")}}));
        bytes[5] = '\x40';
        EXPECT_EQ(Read(WriteBytes(bytes)).second.title, "title");
    }
}

TEST_F(TagReaderTest, ArtistIsTheFirstPresentOfLeadBandConductorAndComposer) {
    struct Case {
        std::vector<Id3v2Frame> frames;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{{"TPE2", Latin1Text("band")}, {"TPE1", Latin1Text("lead")}}, "lead"},
        {{{"TCOM", Latin1Text("composer")},
          {"TPE3", Latin1Text("conductor")},
          {"TPE2", Latin1Text("band")}},
         "band"},
        {{{"TCOM", Latin1Text("composer")}, {"TPE3", Latin1Text("conductor")}}, "conductor"},
        {{{"TCOM", Latin1Text("composer")}}, "composer"},
        {{{"TIT2", Latin1Text("title")}}, ""},
        // A present frame counts even when it is empty.
        {{{"TPE1", Utf16Text(u"")}, {"TPE2", Latin1Text("band")}}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(ReadId3v2(WithId3v2(3, c.frames)).artist, c.expected);
        EXPECT_EQ(ReadId3v2(WithId3v2(4, c.frames)).artist, c.expected);
    }
    const Mp3Fixture v22 = WithId3v2(2, {{"TCM", Latin1Text("composer")},
                                         {"TP2", Latin1Text("band")},
                                         {"TAL", Latin1Text("album")}});
    EXPECT_EQ(ReadId3v2(v22), (TrackTags{"", "band", "album"}));
}

// Positions in a rendered file: the tag header is 10 bytes, an ID3v2.3/2.4 frame header 10.
constexpr std::size_t kFirstFrame = 10;
constexpr std::size_t kFlagsOfFirstFrame = kFirstFrame + 9;

TEST_F(TagReaderTest, DamagedTagsReadWhatTheyCanAndNeverMore) {
    const std::vector<Id3v2Frame> frames = {{"TIT2", Latin1Text("title")},
                                            {"TPE1", Latin1Text("artist")}};
    const std::string good = RenderMp3(WithId3v2(3, frames));
    struct Case {
        const char* name;
        std::string bytes;
        TrackTags expected;
    };
    std::vector<Case> cases;
    auto patched = [&](std::size_t pos, std::string_view with) {
        std::string bytes = good;
        bytes.replace(pos, with.size(), with);
        return bytes;
    };
    cases.push_back(
        {"tag size beyond the file", patched(6, "\x7F\x7F\x7F\x7F"sv), {"title", "artist", ""}});
    cases.push_back({"tag size not synch-safe", patched(6, "\x00\x00\x80\x00"sv), {}});
    cases.push_back({"unknown version", patched(3, "\x05"), {}});
    cases.push_back(
        {"frame size beyond the tag", patched(kFirstFrame + 4, "\x00\x10\x00\x00"sv), {}});
    cases.push_back({"frame id not valid", patched(kFirstFrame, "ti"), {"", "artist", ""}});
    cases.push_back({"encrypted title", patched(kFlagsOfFirstFrame, "\x40"), {"", "artist", ""}});
    cases.push_back(
        {"compressed title that is not", patched(kFlagsOfFirstFrame, "\x80"), {"", "artist", ""}});
    cases.push_back(
        {"unknown text encoding", patched(kFirstFrame + 10, "\x04"), {"", "artist", ""}});
    cases.push_back({"cut inside the title", good.substr(0, kFirstFrame + 13), {}});
    cases.push_back({"zero-size frame first",
                     RenderMp3(WithId3v2(3, {{"TXXX", ""}, {"TIT2", Latin1Text("title")}})),
                     {"title", "", ""}});
    std::string compressedV22 = RenderMp3(WithId3v2(2, {{"TT2", Latin1Text("title")}}));
    compressedV22[5] = '\x40';
    cases.push_back({"ID3v2.2 tag compressed", compressedV22, {}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Read(WriteBytes(c.bytes)).second, c.expected);
    }
}

// A frame header with an invalid id is stepped over: the walk goes on where its size points
// when a valid header stands there, else at the next valid header found within a bound.
TEST_F(TagReaderTest, AnInvalidFrameIdDoesNotHideTheFramesAfterIt) {
    const Id3v2Frame date{"Date", Latin1Text("2004")};
    const Id3v2Frame title{"TIT2", Latin1Text("title")};
    const Id3v2Frame artist{"TPE1", Latin1Text("artist")};
    // The file of `tag` with the size field of its first frame replaced by `size`.
    const auto withFirstSize = [](Id3v2Tag tag, std::string_view size) {
        std::string bytes = RenderMp3({.id3v2 = std::move(tag)});
        bytes.replace(kFirstFrame + 4, size.size(), size);
        return bytes;
    };
    struct Case {
        const char* what;
        std::string bytes;
        TrackTags expected;
    };
    const std::vector<Case> cases = {
        {"ID3v2.3 \"Date\"",
         RenderMp3(WithId3v2(3, {date, title, artist})),
         {"title", "artist", ""}},
        {"ID3v2.4 \"Date\"", RenderMp3(WithId3v2(4, {date, title})), {"title", "", ""}},
        {"ID3v2.2 \"Dat\"",
         RenderMp3(WithId3v2(2, {{"Dat", Latin1Text("2004")}, {"TT2", Latin1Text("title")}})),
         {"title", "", ""}},
        {"control bytes",
         RenderMp3(WithId3v2(3, {{"\x01\x02\x03\x04", "abc"}, title})),
         {"title", "", ""}},
        {"a lower-case id, then two frames",
         RenderMp3(WithId3v2(3, {{"tit2", Latin1Text("other")}, artist, title})),
         {"title", "artist", ""}},
        {"the whole tag unsynchronised",
         RenderMp3({.id3v2 = Id3v2Tag{.frames = {date, title}, .unsynchronised = true}}),
         {"title", "", ""}},
        {"a size that points into the padding",
         withFirstSize(Id3v2Tag{.frames = {date, title}, .padding = 512}, "\x00\x00\x01\x00"sv),
         {"title", "", ""}},
        {"a size beyond the tag",
         withFirstSize(Id3v2Tag{.frames = {date, title}}, "\x7F\xFF\xFF\xFF"sv),
         {"title", "", ""}},
        {"nothing but padding after it",
         RenderMp3({.id3v2 = Id3v2Tag{.frames = {date}, .padding = 64}}),
         {}},
        {"a title beyond the bound of the search",
         withFirstSize(
             Id3v2Tag{.frames = {{"Date", std::string(kMaxFrameSearchBytes + 16, '\x01')}, title}},
             "\x00\x00\x00\x10"sv),
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Read(WriteBytes(c.bytes)).second, c.expected);
    }
}

TEST_F(TagReaderTest, OversizedFramesAreLeftOut) {
    const std::string huge(1 << 20, 'a');
    struct Case {
        const char* name;
        Id3v2Frame title;
    };
    const std::vector<Case> cases = {
        {"inflates to a megabyte", {"TIT2", Latin1Text(huge), true}},
        {"a plain 100 KB title", {"TIT2", Latin1Text(huge.substr(0, 100 * 1024))}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const int version : {3, 4}) {
            const Mp3Fixture fixture =
                WithId3v2(version, {c.title, {"TPE1", Latin1Text("artist")}});
            EXPECT_EQ(ReadId3v2(fixture), (TrackTags{"", "artist", ""}));
        }
    }
    const std::string long4k(4000, 'b');
    EXPECT_EQ(ReadId3v2(WithId3v2(4, {{"TIT2", Latin1Text(long4k), true}})).title, long4k);
}

TEST_F(TagReaderTest, Id3v24FramesWithPlainSizesRead) {
    // Some taggers wrote ID3v2.4 frame sizes as plain numbers. 256 reads as 128 synch-safe,
    // which lands inside the title; the plain reading lands on the next frame.
    const std::string title(255, 'a');
    std::string frames = "TIT2";
    frames += std::string("\x00\x00\x01\x00\x00\x00\x00", 7) + title;
    frames += std::string("TPE1\x00\x00\x00\x07\x00\x00\x00", 11) + "artist";
    std::string tag = "ID3\x04";
    tag += std::string("\x00\x00\x00\x00", 4);
    tag += static_cast<char>(frames.size() >> 7);
    tag += static_cast<char>(frames.size() & 0x7F);
    EXPECT_EQ(Read(WriteBytes(tag + frames)).second, (TrackTags{title, "artist", ""}));
}

TEST_F(TagReaderTest, ANamedPipeReadsAsEmptyWithoutWaiting) {
    const std::string path = m_dir / "pipe.mp3";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    const BothTags tags = Read(path);
    EXPECT_EQ(tags.first, TrackTags{});
    EXPECT_EQ(tags.second, TrackTags{});
}

struct FileState {
    std::string bytes;
    timespec mtime{};
};

FileState StateOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return {ReadFile(path), st.st_mtim};
}

void ExpectUnchanged(const std::string& path, const FileState& before) {
    const FileState after = StateOf(path);
    EXPECT_TRUE(after.bytes == before.bytes) << path << " changed";
    EXPECT_EQ(after.mtime.tv_sec, before.mtime.tv_sec) << path;
    EXPECT_EQ(after.mtime.tv_nsec, before.mtime.tv_nsec) << path;
}

TEST_F(TagReaderTest, ReadingLeavesFilesAsTheyWere) {
    const std::string path =
        Write({.id3v1 = Id3v1Tag{.title = kGbkXiaoYu},
               .id3v2 = Id3v2Tag{.version = 4,
                                 .frames = {PictureFrame(4096), {"TIT2", Utf16Text(u"小雨"), true}},
                                 .padding = 100,
                                 .unsynchronised = true}});
    const FileState before = StateOf(path);
    Read(path);
    ExpectUnchanged(path, before);
}

// The sample files of TagLib's test suite, several deliberately broken.
const std::string kSamples = std::string(SORTUNE_TESTDATA) + "/taglib";

TEST_F(TagReaderTest, SampleFilesReadWithoutHarm) {
    ASSERT_TRUE(std::filesystem::is_directory(kSamples)) << "no sample folder " << kSamples;
    const std::map<std::string, BothTags> known = {
        {"ape-id3v1.mp3", {{"Title", "", ""}, {}}},
        {"ape-id3v2.mp3", {{}, {"Title", "", ""}}},
        {"duplicate_id3v2.mp3", {{}, FromUnicode({"TitleXXXX", "ArtistXXXX", "AlbumXXXX"})}},
        {"extended-header.mp3", {{}, {"Druids", "Excelsis", "Vo Chrieger U Drache"}}},
        {"itunes10.mp3", {{}, {"iTunes10MP3", "Artist", "Album"}}},
        {"unsynch.id3",
         {{}, FromUnicode({"My babe just cares for me", "Nina Simone", "100% Jazz"})}},
        {"unsynch24.id3", {{}, FromUnicode({"Hi", "", ""})}},
        {"compressed_id3_frame.mp3",
         {{}, {"Braveheart Theme (Techno remix", "Moby", "<Undefined>"}}},
        {"broken-tenc.id3", {{}, {"Take On Me", "A Ha", "1985"}}},
        {"005411.id3", {{}, {"Sunshine Superman", "Donovan", "Sunshine Superman"}}},
        {"w000.mp3", {{}, {"Knowing You", "Sergio Galoyan f. Tamra Keenan", "Knowing You"}}},
    };
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kSamples)) {
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        const std::string path = m_dir / name;
        std::filesystem::copy_file(entry.path(), path);
        const FileState before = StateOf(path);
        const BothTags tags = Read(path);
        ExpectUnchanged(path, before);
        if (const auto it = known.find(name); it != known.end()) {
            EXPECT_EQ(tags.first, it->second.first);
            EXPECT_EQ(tags.second, it->second.second);
            ++checked;
        }
    }
    EXPECT_EQ(checked, static_cast<int>(known.size()));
}

// Stand-ins for the WMA module's export.
struct StandIn {
    static inline std::string path;
    static inline bool buffersWereZero = false;
    static inline int calls = 0;

    static bool AllZero(const char* buffer, std::size_t from, std::size_t size) {
        for (std::size_t i = from; i < size; ++i) {
            if (buffer[i] != '\0') {
                return false;
            }
        }
        return true;
    }
    static void Record(const char* p, char* title, char* artist, char* album) {
        ++calls;
        path = p;
        buffersWereZero =
            AllZero(p, path.size(), kWmaPathBufferSize) && AllZero(title, 0, kWmaTitleBufferSize) &&
            AllZero(artist, 0, kWmaArtistBufferSize) && AllZero(album, 0, kWmaAlbumBufferSize);
    }
    static int Succeed(const char* p, char* title, char* artist, char* album) {
        Record(p, title, artist, album);
        std::strcpy(title, "Title");
        std::memset(artist, 'a', 63);  // the most the module writes
        std::strcpy(album, "Album");
        return 1;
    }
    static int Fail(const char* p, char* title, char* artist, char* album) {
        Record(p, title, artist, album);
        return 0;
    }
    static int Throw(const char* p, char* title, char* artist, char* album) {
        Record(p, title, artist, album);
        std::strcpy(title, "half");
        throw std::runtime_error("reader broke");
    }
    // Writes its whole artist buffer without a NUL.
    static int Unterminated(const char* p, char* title, char* artist, char* album) {
        Record(p, title, artist, album);
        std::memset(artist, 'x', kWmaArtistBufferSize);
        return 1;
    }
};

// WMA attributes are Unicode text, whatever they hold.
TrackTags WmaTags(const std::string& title, const std::string& artist, const std::string& album) {
    return {title, artist, album, TextOrigin::Unicode, TextOrigin::Unicode, TextOrigin::Unicode};
}

class WmaReaderTest : public testing::Test {
protected:
    void SetUp() override {
        StandIn::path.clear();
        StandIn::buffersWereZero = false;
        StandIn::calls = 0;
    }
    const TrackTags m_stale{"old title", "old artist", "old album"};
};

TEST_F(WmaReaderTest, HandsZeroFilledBuffersAndTakesTheTextsBack) {
    TrackTags tags = m_stale;
    EXPECT_EQ(ReadWmaAttributes("/music/歌.wma", tags, StandIn::Succeed), 1);
    EXPECT_EQ(StandIn::path, "/music/歌.wma");
    EXPECT_TRUE(StandIn::buffersWereZero);
    EXPECT_EQ(tags, WmaTags("Title", std::string(63, 'a'), "Album"));
}

TEST_F(WmaReaderTest, AFailedCallGivesEmptyFields) {
    TrackTags tags = m_stale;
    EXPECT_EQ(ReadWmaAttributes("/music/a.wma", tags, StandIn::Fail), 0);
    EXPECT_EQ(StandIn::calls, 1);
    EXPECT_EQ(tags, WmaTags("", "", ""));
}

TEST_F(WmaReaderTest, AThrowingCallLeavesTheFieldsAsTheyWere) {
    TrackTags tags = m_stale;
    EXPECT_EQ(ReadWmaAttributes("/music/a.wma", tags, StandIn::Throw), 0);
    EXPECT_EQ(StandIn::calls, 1);
    EXPECT_EQ(tags, m_stale);
}

TEST_F(WmaReaderTest, WithoutTheModuleNothingIsRead) {
    TrackTags tags = m_stale;
    EXPECT_EQ(ReadWmaAttributes("/music/a.wma", tags, nullptr), 0);
    EXPECT_EQ(tags, m_stale);
}

TEST_F(WmaReaderTest, APathMustFitThePathBuffer) {
    const std::string longest = "/" + std::string(kWmaPathBufferSize - 2, 'p');
    TrackTags tags = m_stale;
    EXPECT_EQ(ReadWmaAttributes(longest, tags, StandIn::Succeed), 1);
    EXPECT_EQ(StandIn::path, longest);
    EXPECT_TRUE(StandIn::buffersWereZero);

    tags = m_stale;
    EXPECT_EQ(ReadWmaAttributes(longest + "p", tags, StandIn::Succeed), 0);
    EXPECT_EQ(StandIn::calls, 1);
    EXPECT_EQ(tags, m_stale);
}

TEST_F(WmaReaderTest, AnUnterminatedBufferIsReadNoFurtherThanItsEnd) {
    TrackTags tags;
    EXPECT_EQ(ReadWmaAttributes("/music/a.wma", tags, StandIn::Unterminated), 1);
    EXPECT_EQ(tags.artist, std::string(kWmaArtistBufferSize, 'x'));
}

}  // namespace
