// The repair of the APE tags of WavPack and Monkey's Audio files, from the bytes old tools
// stored to what an independent reader (TagLib) finds after it, and back.

#include "organizer/aperepair.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <taglib/apetag.h>
#include <taglib/wavpackfile.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "organizer/apetags.h"
#include "organizer/byteorder.h"
#include "organizer/tagrepair.h"
#include "organizer/tagwriter.h"
#include "tests/support/encode.h"
#include "tests/support/fileio.h"
#include "tests/support/formatwriter.h"
#include "tests/support/loadedtables.h"
#include "tests/support/memorybytes.h"
#include "tests/support/mp3writer.h"
#include "tests/support/tempdir.h"

namespace {

using Items = std::vector<std::pair<std::string, std::string>>;

std::string In(const char* utf8, const char* charset) {
    return EncodeAs(utf8, charset).value_or("");
}

// An ID3v1 tag alone, as it stands after an APE tag.
std::string Id3v1Bytes(const std::string& title) {
    return RenderMp3({.id3v1 = Id3v1Tag{.title = title}, .audioFrames = 0});
}

// What TagLib reads of a WavPack file's APE tag: key to text, UTF-8.
std::map<std::string, std::string> ReadWithTagLib(const std::string& path) {
    TagLib::WavPack::File file(path.c_str(), false);
    std::map<std::string, std::string> seen;
    if (file.APETag() == nullptr) {
        return seen;
    }
    for (const auto& [key, item] : file.APETag()->itemListMap()) {
        seen[key.to8Bit(true)] = item.toString().to8Bit(true);
    }
    return seen;
}

class ApeRepairTest : public testing::Test {
protected:
    TempDir m_dir;
    ChineseConverter m_converter{LoadedTables()};
};

TEST_F(ApeRepairTest, RawAndWidenedChineseBecomesUtf8AndTheRestStays) {
    const std::string cover(300 * 1024, '\x5A');
    const std::string id3v1 = Id3v1Bytes(In("童话", "GBK"));
    struct Case {
        const char* what;
        Items items;
        bool header;
        std::string after;                            // what follows the tag
        std::map<std::string, std::string> expected;  // the repaired items, as TagLib reads them
    };
    const std::vector<Case> cases = {
        {"raw GBK",
         {{"Title", In("童话", "GBK")}, {"Artist", In("光良", "GBK")}, {"Track", "3"}},
         false,
         "",
         {{"TITLE", "童话"}, {"ARTIST", "光良"}}},
        {"raw Big5 with a header, an ID3v1 tag after",
         {{"Album Artist", In("劉德華", "BIG5")}, {"ALBUM", In("真我的風采", "BIG5")}},
         true,
         id3v1,
         {{"ALBUM ARTIST", "刘德华"}, {"ALBUM", "真我的风采"}}},
        {"widened GBK beside right UTF-8",
         {{"Title", "\xC2\xBA\xC3\xAC\xC2\xB6\xC2\xB9"}, {"Artist", "王菲"}},  // 红豆 widened
         false,
         "",
         {{"TITLE", "红豆"}, {"ARTIST", "王菲"}}},
        {"a cover before the title, GBK in a comment",
         {{"Cover Art (Front)", cover},
          {"Title", In("小雨", "GBK")},
          {"Comment", In("评论", "GBK")}},
         false,
         "",
         {{"TITLE", "小雨"}}},
    };
    const std::string path = m_dir / "song.wv";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before =
            SampleBytes("silence.wv") + ApeTagBytes(c.items, c.header) + c.after;
        WriteFile(path, before);

        const std::optional<TagRewrite> rewrite =
            PlanTagRepair(path, AudioFormat::WavPack, m_converter);
        ASSERT_TRUE(rewrite);
        ASSERT_EQ(WriteTagEdit(path, rewrite->edit), 0);

        const std::string after = ReadFile(path);
        const std::map<std::string, std::string> seen = ReadWithTagLib(path);
        for (const auto& [key, text] : c.expected) {
            EXPECT_EQ(seen.count(key) != 0 ? seen.at(key) : "", text) << key;
        }
        EXPECT_TRUE(after.starts_with(SampleBytes("silence.wv"))) << "the audio stays";
        const std::size_t footer = after.size() - c.after.size() - 32;
        EXPECT_EQ(after.substr(footer, 8), "APETAGEX");
        if (c.header) {
            const std::size_t tagSize = LittleEndian32(after, footer + 12);
            EXPECT_EQ(after.substr(footer + 32 - tagSize - 32, 20), after.substr(footer, 20))
                << "the header gives the footer's size and count";
        }
        EXPECT_TRUE(after.ends_with(c.after)) << "what follows the tag stays";
        for (const auto& [key, value] : c.items) {
            if (!ApeRole(key)) {
                EXPECT_NE(after.find(key + '\0' + value), std::string::npos) << "kept: " << key;
            }
        }
        EXPECT_EQ(WriteTagEdit(path, rewrite->edit), EALREADY);
        EXPECT_FALSE(PlanTagRepair(path, AudioFormat::WavPack, m_converter)) << "repaired once";

        ASSERT_EQ(WriteTagEdit(path, InverseOf(rewrite->edit)), 0);
        EXPECT_TRUE(ReadFile(path) == before) << "taken back byte for byte";
    }
}

TEST_F(ApeRepairTest, TagsThatNeedNoneOrCannotTakeOneAreLeftAlone) {
    const Items gbk = {{"Title", In("小雨", "GBK")}};
    const std::string good = ApeTagBytes(gbk);
    std::string countTooHigh = good;
    countTooHigh[countTooHigh.size() - 16] = '\x02';
    std::string tooLarge = good;
    tooLarge[tooLarge.size() - 17] = '\x7F';  // the size's highest byte
    std::string binary = good;
    binary[4] = '\x02';  // the item holds binary data
    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"UTF-8 Chinese already", MonkeysAudioBytes(ApeTagBytes({{"Title", "小雨"}}))},
        {"ASCII", MonkeysAudioBytes(ApeTagBytes({{"Title", "Rain"}}))},
        {"GBK of no clean GB2312", MonkeysAudioBytes(ApeTagBytes({{"Title", In("童話", "GBK")}}))},
        {"more items counted than stand", MonkeysAudioBytes(countTooHigh)},
        {"a binary item", MonkeysAudioBytes(binary)},
        {"two values", MonkeysAudioBytes(ApeTagBytes({{"Title", In("小雨", "GBK") + '\0' + "x"}}))},
        {"an ID3v1 tag and no APE tag", MonkeysAudioBytes(Id3v1Bytes(In("小雨", "GBK")))},
        {"a footer giving more than the file", MonkeysAudioBytes(tooLarge)},
    };
    const std::string path = m_dir / "song.ape";
    ASSERT_TRUE(PlanApeTagRepair(MemoryBytes(MonkeysAudioBytes(good)), m_converter))
        << "the cases' source";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(path, c.bytes);
        EXPECT_FALSE(PlanTagRepair(path, AudioFormat::Ape, m_converter));
    }
}

// A tag at the end grows in place where its page takes it; else the file is written anew.
TEST_F(ApeRepairTest, ATagAtTheEndGrowsInPlaceOnlyWithinItsPage) {
    struct Case {
        std::size_t audio;  // the bytes before the tag
        bool inPlace;
    };
    const Items items = {{"Title", In("一千年以后", "GBK")}};
    const std::size_t tagSize = ApeTagBytes(items).size();
    for (const Case c : {Case{100, true}, Case{4096 - tagSize + 10, false}}) {
        SCOPED_TRACE(c.audio);
        const std::string path = m_dir / "song.ape";
        WriteFile(path, std::string(c.audio, '\x11') + ApeTagBytes(items));
        struct stat before {};
        ASSERT_EQ(stat(path.c_str(), &before), 0);
        const std::optional<TagRewrite> rewrite =
            PlanTagRepair(path, AudioFormat::Ape, m_converter);
        ASSERT_TRUE(rewrite);
        ASSERT_EQ(WriteTagEdit(path, rewrite->edit), 0);
        struct stat after {};
        ASSERT_EQ(stat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino == before.st_ino, c.inPlace);
        EXPECT_EQ(ReadApeTag(MemoryBytes(ReadFile(path))).title, In("一千年以后", "GBK"))
            << "the name reads the same from the repaired tag";
    }
}

}  // namespace
