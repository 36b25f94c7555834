// The tags of FLAC, Ogg, MP4, APE and WavPack files, read as a run reads them, and the names
// the naming chain makes of them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "organizer/apetags.h"
#include "organizer/conversiontables.h"
#include "organizer/flactags.h"
#include "organizer/mp4tags.h"
#include "organizer/tagreader.h"
#include "organizer/trackname.h"
#include "platform/codepage.h"
#include "resources/embeddedresource.h"
#include "tests/support/encode.h"
#include "tests/support/fileio.h"
#include "tests/support/formatwriter.h"
#include "tests/support/memorybytes.h"
#include "tests/support/mp3writer.h"
#include "tests/support/tempdir.h"

namespace {

struct SampleCase {
    Sample sample;
    const char* file;  // the copy's name: its extension tells the format
};

constexpr SampleCase kSamples[] = {
    {Sample::Flac, "a.flac"},   {Sample::OggVorbis, "a.ogg"}, {Sample::Opus, "a.opus"},
    {Sample::OggFlac, "a.oga"}, {Sample::M4a, "a.m4a"},       {Sample::WavPack, "a.wv"},
};

std::string Gbk(const char* utf8) {
    return codepage::Utf8ToCp936(utf8);
}

std::string Big5(const char* utf8) {
    return EncodeAs(utf8, "CP950").value_or("");
}

std::string BigEndian32(std::size_t value) {
    std::string out;
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>(value >> shift & 0xFF);
    }
    return out;
}

std::string Mp4Box(const std::string& type, const std::string& body) {
    return BigEndian32(body.size() + 8) + type + body;
}

std::string LittleEndian32(std::size_t value) {
    std::string out;
    for (int shift = 0; shift <= 24; shift += 8) {
        out += static_cast<char>(value >> shift & 0xFF);
    }
    return out;
}

// A FLAC metadata block: its type (with 0x80 for the last block) and its body.
std::string FlacBlock(unsigned type, const std::string& body) {
    return static_cast<char>(type) + BigEndian32(body.size()).substr(1) + body;
}

class FormatTagsTest : public testing::Test {
protected:
    FormatTagsTest() { m_tables.Load(resources::FindResource); }

    // The name of the file at `path`, as the file pass makes it.
    TrackName NameOf(const std::string& path) {
        TrackTags first;
        TrackTags second;
        EXPECT_TRUE(ReadFormatTags(path, FormatOfPath(path), first, second));
        return NameTrack(first, second, m_converter);
    }

    TempDir m_dir;
    ConversionTables m_tables;
    ChineseConverter m_converter{m_tables};
};

// Every format's own tag names the file through the Unicode path: simplified character by
// character, never guessed; widened GBK bytes are read as the bytes they are.
TEST_F(FormatTagsTest, EachFormatsOwnTagNamesTheFile) {
    struct Case {
        const char* what;
        std::string title;
        std::string artist;
        Stored stored;
        std::string name;
        std::string folder;
    };
    const Case cases[] = {
        {"UTF-8", "爱你一万年", "刘德华", Stored::Utf8, "爱你一万年", "刘德华"},
        {"traditional", "童話", "張學友", Stored::Utf8, "童话", "张学友"},
        {"track number", "03.吻别", "", Stored::Utf8, "吻别", ""},
        {"Latin", "Café Müller", "", Stored::Utf8, "Café Müller", ""},
        {"widened GBK", Gbk("一千年以后"), Gbk("林俊杰"), Stored::Widened, "一千年以后", "林俊杰"},
        {"widened Big5", Big5("張學友"), "", Stored::Widened, "张学友", ""},
        {"no title", "", "刘德华", Stored::Utf8, "", ""},
    };
    for (const SampleCase& sample : kSamples) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(sample.file) + ": " + c.what);
            const std::string path = m_dir / sample.file;
            ASSERT_TRUE(WriteSample(path, sample.sample, c.title, c.artist, c.stored));
            const TrackName name = NameOf(path);
            EXPECT_EQ(name.title, c.name);
            EXPECT_EQ(name.reason, c.name.empty() ? Reason::NoTitle : Reason::None);
            if (!c.name.empty()) {
                EXPECT_EQ(name.artist, c.folder);
            }
        }
    }
}

// APE tags hold GBK and Big5 bytes as often as UTF-8; an ID3v1 tag, where present, is the
// first set, as in an MP3 file.
TEST_F(FormatTagsTest, ApeTagsTakeRawChineseBytesAndAnId3v1TagFirst) {
    const std::string id3Gbk =
        RenderMp3({.id3v1 = Id3v1Tag{.title = Gbk("小雨")}, .audioFrames = 0});
    const std::string id3Cut = RenderMp3(
        {.id3v1 = Id3v1Tag{.title = Gbk("我的心里只有你没有他我的心里只有你没有").substr(0, 30)},
         .audioFrames = 0});
    const std::string longTitle = "我的心里只有你没有他我的心里只有你没有";
    struct Case {
        const char* what;
        std::string tail;  // of a Monkey's Audio file
        std::string name;
        std::string folder;
    };
    const Case cases[] = {
        {"GBK bytes", ApeTagBytes({{"Title", Gbk("爱你一万年")}, {"Artist", Gbk("刘德华")}}),
         "爱你一万年", "刘德华"},
        {"Big5 bytes", ApeTagBytes({{"TITLE", Big5("張學友")}, {"artist", Big5("張學友")}}),
         "张学友", "张学友"},
        // The bytes of 山 form a UTF-8 character, those of 良 an overlong form.
        {"GBK bytes that begin like UTF-8", ApeTagBytes({{"Title", Gbk("山良111")}}), "山良111",
         ""},
        // Those of 一夜 make UTF-8 (һҹ): the raw artist tells how the tag was written.
        {"GBK bytes that make UTF-8, beside raw bytes",
         ApeTagBytes({{"Title", Gbk("一夜")}, {"Artist", Gbk("光良")}}), "一夜", "光良"},
        {"Cyrillic UTF-8 beside ASCII", ApeTagBytes({{"Title", "на"}, {"Artist", "ДДТ"}}), "на",
         "ДДТ"},
        {"UTF-8", ApeTagBytes({{"Title", "吻别"}}), "吻别", ""},
        {"album artist", ApeTagBytes({{"Title", "吻别"}, {"Album Artist", "张学友"}}), "吻别",
         "张学友"},
        {"cover first",
         ApeTagBytes({{"Cover Art (Front)", std::string(300000, '\xFF')}, {"Title", "吻别"}}),
         "吻别", ""},
        {"ID3v1 first", ApeTagBytes({{"Title", Gbk("心雨")}}) + id3Gbk, "小雨", ""},
        // As in an MP3 file, Unicode text wins over 8-bit bytes that read otherwise.
        {"UTF-8 over ID3v1", ApeTagBytes({{"Title", "心雨"}}) + id3Gbk, "心雨", ""},
        {"ID3v1 alone", id3Gbk, "小雨", ""},
        {"ID3v1 cut", ApeTagBytes({{"Title", longTitle}}) + id3Cut, longTitle, ""},
        {"no tag", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = m_dir / "a.APE";
        WriteFile(path, MonkeysAudioBytes(c.tail));
        const TrackName name = NameOf(path);
        EXPECT_EQ(name.title, c.name);
        EXPECT_EQ(name.artist, c.folder);
    }
    // A WavPack file's APE tag, as TagLib would not write it: GBK bytes.
    const std::string wv = m_dir / "b.wv";
    ASSERT_TRUE(WriteSample(wv, Sample::WavPack, "", ""));
    WriteFile(wv, ReadFile(wv) + ApeTagBytes({{"Title", Gbk("爱你一万年")}}));
    EXPECT_EQ(NameOf(wv).title, "爱你一万年");
}

// Damaged files give no fields, or the fields they still hold, never garbage; reading them
// never fails.
TEST_F(FormatTagsTest, DamagedFilesGiveNoneOrTheirOwnFields) {
    for (const SampleCase& sample : kSamples) {
        const std::string path = m_dir / sample.file;
        ASSERT_TRUE(WriteSample(path, sample.sample, "吻别", ""));
        const std::string whole = ReadFile(path);
        struct Damage {
            const char* what;
            std::string bytes;
            bool mayKeep;  // the title may still be read
        };
        const Damage damages[] = {
            {"empty", "", false},
            {"cut to 8 bytes", whole.substr(0, 8), false},
            {"cut in half", whole.substr(0, whole.size() / 2), true},
            {"cut before the end", whole.substr(0, whole.size() - 40), true},
            {"wrong magic", "\x01\x02\x03\x04" + whole.substr(4), false},
            {"all zeros", std::string(whole.size(), '\0'), false},
            {"all 0xFF", std::string(whole.size(), '\xFF'), false},
        };
        for (const Damage& d : damages) {
            SCOPED_TRACE(std::string(sample.file) + ": " + d.what);
            if (sample.sample == Sample::WavPack && d.what == std::string("wrong magic")) {
                continue;  // the APE tag at the end does not depend on the start
            }
            WriteFile(path, d.bytes);
            const std::string title = NameOf(path).title;
            EXPECT_TRUE(title.empty() || (d.mayKeep && title == "吻别")) << title;
        }
    }
}

// Sizes that lie: each read stays within the file and is bounded.
TEST_F(FormatTagsTest, HostileSizesEndTheWalk) {
    const std::string streamInfo = std::string("\x00\x00\x00\x22", 4) + std::string(34, '\0');
    const std::vector<std::string> files = {
        "fLaC" + streamInfo + std::string("\x04\xFF\xFF\xFF", 4) + "short",
        "fLaC" + std::string("\x01\x00\x00\x00", 4) + std::string("\x01\x00\x00\x00", 4),
        "fLaC" + std::string(1000, '\0'),
        Mp4Box("ftyp", "M4A ") + BigEndian32(1) + "moov" + std::string(8, '\xFF'),
        Mp4Box("ftyp", "M4A ") + BigEndian32(0) + "moov" + Mp4Box("udta", Mp4Box("meta", "")),
        Mp4Box("moov",
               Mp4Box("udta", Mp4Box("meta", std::string(4, '\0') + BigEndian32(9999) + "ilst"))),
        std::string(64, '\0') + "APETAGEX" + std::string("\xD0\x07\0\0\xFF\xFF\xFF\x7F", 8) +
            std::string(16, '\xFF'),
    };
    for (const std::string& bytes : files) {
        const CountingBytes source(bytes);
        EXPECT_EQ(ReadFlacTags(source), TrackTags{});
        EXPECT_EQ(ReadMp4Tags(source).tags, TrackTags{});
        EXPECT_EQ(ReadApeTag(source), TrackTags{});
        EXPECT_LE(source.bytesRead, 3 * bytes.size() + 64);
    }
}

// Only the tag bytes are read: not a picture before the comment, not the audio before the
// moov box, not the sample tables, not a cover stored before the title.
TEST_F(FormatTagsTest, OnlyTheTagBytesAreRead) {
    const std::string title = "TITLE=吻别";
    const std::string comment =
        LittleEndian32(6) + "vendor" + LittleEndian32(1) + LittleEndian32(title.size()) + title;
    const std::string big(2 * 1024 * 1024, '\xFF');
    const std::string audio(4 * 1024 * 1024, '\0');
    const std::string flac = "fLaC" + FlacBlock(0, std::string(34, '\0')) + FlacBlock(6, big) +
                             FlacBlock(0x84, comment) + audio;
    const std::string ilst =
        Mp4Box("ilst", Mp4Box("\xA9nam", Mp4Box("data", BigEndian32(1) + BigEndian32(0) + "吻别")));
    const std::string meta =
        Mp4Box("meta", BigEndian32(0) + Mp4Box("hdlr", std::string(25, '\0')) + ilst);
    const std::string m4a =
        Mp4Box("ftyp", "M4A ") + Mp4Box("mdat", audio) +
        Mp4Box("moov", Mp4Box("trak", Mp4Box("mdia", Mp4Box("minf", Mp4Box("stbl", big)))) +
                           Mp4Box("udta", meta));
    const std::string ape =
        MonkeysAudioBytes(ApeTagBytes({{"Cover Art (Front)", big}, {"Title", "吻别"}}));
    const CountingBytes flacSource(flac);
    const CountingBytes mp4Source(m4a);
    const CountingBytes apeSource(ape);
    EXPECT_EQ(ReadFlacTags(flacSource).title, Gbk("吻别"));
    EXPECT_EQ(ReadMp4Tags(mp4Source).tags.title, Gbk("吻别"));
    EXPECT_EQ(ReadApeTag(apeSource).title, Gbk("吻别"));
    for (const CountingBytes* source : {&flacSource, &mp4Source, &apeSource}) {
        EXPECT_LT(source->bytesRead, 4096U);
    }
}

// A film in an MP4 file is no music: its name is left alone.
TEST_F(FormatTagsTest, AnMp4FilmIsNoMusic) {
    const std::string film = m_dir / "film.mp4";
    const std::string song = m_dir / "song.mp4";
    ASSERT_TRUE(WriteSample(film, Sample::Mp4Video, "吻别", ""));
    ASSERT_TRUE(WriteSample(song, Sample::M4a, "吻别", ""));
    TrackTags first;
    TrackTags second;
    EXPECT_FALSE(ReadFormatTags(film, AudioFormat::Mp4, first, second));
    EXPECT_TRUE(ReadFormatTags(song, AudioFormat::Mp4, first, second));
    EXPECT_EQ(NameTrack(first, second, m_converter).title, "吻别");
}

}  // namespace
