// The repair of FLAC files' Vorbis comments, from the bytes old tools stored to what an
// independent reader (TagLib) finds after it, and back.

#include "organizer/flacrepair.h"

#include <gtest/gtest.h>
#include <taglib/flacfile.h>
#include <taglib/tstring.h>
#include <taglib/xiphcomment.h>

#include <map>
#include <string>
#include <vector>

#include "organizer/flacmetadata.h"
#include "organizer/tagrepair.h"
#include "organizer/tagwriter.h"
#include "organizer/vorbiscomment.h"
#include "tests/support/encode.h"
#include "tests/support/fileio.h"
#include "tests/support/formatwriter.h"
#include "tests/support/loadedtables.h"
#include "tests/support/memorybytes.h"
#include "tests/support/tempdir.h"

namespace {

std::string In(const char* utf8, const char* charset) {
    return EncodeAs(utf8, charset).value_or("");
}

// Each byte taken for a Latin-1 character, in UTF-8: what old tools wrote of GBK bytes.
std::string WidenedUtf8(const std::string& bytes) {
    return TagLib::String(bytes, TagLib::String::Latin1).to8Bit(true);
}

// What TagLib reads of the comment: field name to its first value, UTF-8.
std::map<std::string, std::string> ReadWithTagLib(const std::string& path) {
    TagLib::FLAC::File file(path.c_str(), false);
    std::map<std::string, std::string> seen;
    if (file.xiphComment() == nullptr) {
        return seen;
    }
    for (const auto& [name, values] : file.xiphComment()->fieldListMap()) {
        seen[name.to8Bit(true)] = values.front().to8Bit(true);
    }
    return seen;
}

std::size_t HeadSize(const std::string& bytes) {
    return FlacHeadSize(MemoryBytes(bytes)).value_or(0);
}

class FlacRepairTest : public testing::Test {
protected:
    TempDir m_dir;
    ChineseConverter m_converter{LoadedTables()};
};

TEST_F(FlacRepairTest, RawAndWidenedChineseBecomesUtf8AndTheRestStays) {
    struct Case {
        const char* what;
        std::vector<std::string> fields;
        std::size_t padding;
        std::size_t picture;
        std::map<std::string, std::string> expected;  // the repaired fields, as TagLib reads them
        bool inPlace;
    };
    const std::vector<Case> cases = {
        {"raw GBK, padding",
         {"TITLE=" + In("童话", "GBK"), "ARTIST=" + In("光良", "GBK"), "TRACKNUMBER=3"},
         8192,
         0,
         {{"TITLE", "童话"}, {"ARTIST", "光良"}, {"TRACKNUMBER", "3"}},
         true},
        {"raw Big5 traditional, no padding",
         {"title=" + In("愛你一萬年", "BIG5"), "ALBUMARTIST=" + In("劉德華", "BIG5")},
         0,
         0,
         {{"TITLE", "爱你一万年"}, {"ALBUMARTIST", "刘德华"}},
         false},
        {"widened GBK beside right UTF-8, no padding",
         {"TITLE=" + WidenedUtf8(In("红豆", "GBK")), "ARTIST=王菲"},
         0,
         0,
         {{"TITLE", "红豆"}, {"ARTIST", "王菲"}},
         false},
        {"a picture between the comment and the padding",
         {"ALBUM=" + In("真我的风采", "GBK"), "COMMENT=" + In("评论", "GBK")},
         64,
         1024 * 1024,
         {{"ALBUM", "真我的风采"}},
         true},
        {"GBK bytes that make UTF-8 (一夜: һҹ), beside raw GBK",
         {"TITLE=" + In("一夜", "GBK"), "ARTIST=" + In("光良", "GBK")},
         64,
         0,
         {{"TITLE", "一夜"}, {"ARTIST", "光良"}},
         true},
        {"padding too small for the change",
         {"TITLE=" + In("一千年以后", "GBK")},
         2,
         0,
         {{"TITLE", "一千年以后"}},
         false},
    };
    const std::string path = m_dir / "song.flac";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = FlacBytes(c.fields, c.padding, c.picture);
        WriteFile(path, before);

        const std::optional<TagRewrite> rewrite =
            PlanTagRepair(path, AudioFormat::Flac, m_converter);
        ASSERT_TRUE(rewrite);
        ASSERT_EQ(WriteTagEdit(path, rewrite->edit), 0);

        const std::string after = ReadFile(path);
        const std::map<std::string, std::string> seen = ReadWithTagLib(path);
        for (const auto& [name, text] : c.expected) {
            EXPECT_EQ(seen.count(name) != 0 ? seen.at(name) : "", text) << name;
        }
        EXPECT_EQ(after.size() == before.size(), c.inPlace);
        EXPECT_TRUE(after.substr(HeadSize(after)) == before.substr(HeadSize(before)))
            << "the audio stays";
        for (const std::string& field : c.fields) {
            if (!VorbisRole(field.substr(0, field.find('=')))) {
                EXPECT_NE(after.find(field), std::string::npos) << "kept as it was: " << field;
            }
        }
        if (c.picture > 0) {
            EXPECT_NE(after.find(std::string(c.picture, '\x5A')), std::string::npos);
        }
        EXPECT_EQ(WriteTagEdit(path, rewrite->edit), EALREADY);
        EXPECT_FALSE(PlanTagRepair(path, AudioFormat::Flac, m_converter)) << "repaired once";

        ASSERT_EQ(WriteTagEdit(path, InverseOf(rewrite->edit)), 0);
        EXPECT_TRUE(ReadFile(path) == before) << "taken back byte for byte";
    }
}

TEST_F(FlacRepairTest, FilesThatNeedNoneOrCannotTakeOneAreLeftAlone) {
    const std::string gbk = "TITLE=" + In("小雨", "GBK");
    const std::string good = FlacBytes({gbk}, 128);
    std::string countTooHigh = good;
    countTooHigh[countTooHigh.find(gbk) - 8] = '\x02';  // two fields where one stands
    std::string lastFlagLost = good;
    lastFlagLost[lastFlagLost.rfind(std::string("\x81\x00\x00\x80", 4))] = '\x01';
    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"UTF-8 Chinese already", FlacBytes({"TITLE=小雨", "ARTIST=王菲"}, 128)},
        {"ASCII", FlacBytes({"TITLE=Rain"}, 128)},
        {"Latin-1 bytes that are no clean Chinese", FlacBytes({"TITLE=Caf\xE9 M\xFCller"}, 128)},
        {"a real Latin title in UTF-8", FlacBytes({"TITLE=räksmörgås"}, 128)},
        {"GBK of no clean GB2312", FlacBytes({"TITLE=" + In("童話", "GBK")}, 128)},
        {"an ID3v2 tag before the marker",
         std::string("ID3\x03\x00\x00\x00\x00\x00\x00", 10) + good},
        {"a comment whose count runs past its fields", countTooHigh},
        {"metadata without a last block", lastFlagLost},
        {"cut inside the metadata", good.substr(0, good.find(gbk) + 3)},
        {"no FLAC file", "OggS" + good.substr(4)},
    };
    const std::string path = m_dir / "song.flac";
    ASSERT_TRUE(PlanFlacTagRepair(MemoryBytes(good), m_converter)) << "the cases' source";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(path, c.bytes);
        EXPECT_FALSE(PlanTagRepair(path, AudioFormat::Flac, m_converter));
    }
}

// A FLAC edit is only written over the metadata it was made for, whole.
TEST_F(FlacRepairTest, AnEditIsWrittenOnlyOverTheMetadataItWasMadeFor) {
    const std::string path = m_dir / "song.flac";
    const std::string before = FlacBytes({"TITLE=" + In("小雨", "GBK")}, 256);
    WriteFile(path, before);
    const std::optional<TagRewrite> rewrite = PlanTagRepair(path, AudioFormat::Flac, m_converter);
    ASSERT_TRUE(rewrite);

    std::string changed = before;
    changed[changed.size() - 1] ^= 1;  // the audio changed: the edit still fits
    WriteFile(path, changed);
    EXPECT_EQ(WriteTagEdit(path, rewrite->edit), 0);

    WriteFile(path, before.substr(0, 4 + 4 + 34) + std::string(1, '\x84') +
                        before.substr(4 + 4 + 34 + 1));  // the comment made the last block
    EXPECT_EQ(WriteTagEdit(path, rewrite->edit), ESTALE);
}

}  // namespace
