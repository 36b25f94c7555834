// The repair of Ogg files' Vorbis comments, from the bytes old tools stored to what an
// independent reader (TagLib) finds after it, and back.

#include "organizer/oggrepair.h"

#include <gtest/gtest.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <string>
#include <vector>

#include "organizer/byteorder.h"
#include "organizer/oggpage.h"
#include "organizer/tagrepair.h"
#include "organizer/tagwriter.h"
#include "tests/support/fileio.h"
#include "tests/support/formatwriter.h"
#include "tests/support/loadedtables.h"
#include "tests/support/memorybytes.h"
#include "tests/support/tempdir.h"

namespace {

// The pages of `bytes` from `offset` on; every one must carry its own CRC.
std::vector<OggPage> PagesWithRightCrcs(const std::string& bytes, std::size_t offset) {
    const MemoryBytes file(bytes);
    std::vector<OggPage> pages;
    while (const std::optional<OggPage> page = ReadOggPage(file, offset)) {
        const std::string whole = bytes.substr(page->offset, page->End() - page->offset);
        EXPECT_EQ(LittleEndian32(whole, kOggCrcOffset), OggPageCrc(whole)) << page->offset;
        pages.push_back(*page);
        offset = page->End();
    }
    EXPECT_EQ(offset, bytes.size()) << "pages to the end";
    return pages;
}

class OggRepairTest : public testing::Test {
protected:
    TempDir m_dir;
    ChineseConverter m_converter{LoadedTables()};
};

TEST_F(OggRepairTest, TheCommentPageIsRebuiltAndNoOtherPageChanges) {
    struct Case {
        const char* what;
        std::string name;  // of the file, for the reader TagLib picks
        std::string bytes;
        const char* title;   // as TagLib reads them after
        const char* artist;  // or the album, for the Ogg FLAC sample
    };
    const std::string widened = m_dir / "widened.ogg";
    ASSERT_TRUE(WriteSample(widened, Sample::OggVorbis, "\xBA\xEC\xB6\xB9", "", Stored::Widened));
    const std::vector<Case> cases = {
        {"Vorbis, raw GBK", "a.ogg", SampleBytes("gbk.ogg"), "童话", "光良"},
        {"Opus, raw GBK that makes UTF-8", "a.opus", SampleBytes("gbk.opus"), "一夜", "光良"},
        {"Ogg FLAC, raw GBK", "a.oga", SampleBytes("gbk.oga"), "风雨", ""},
        {"Vorbis, widened GBK", "a.ogg", ReadFile(widened), "红豆", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = m_dir / c.name;
        WriteFile(path, c.bytes);
        const std::optional<TagRewrite> rewrite =
            PlanTagRepair(path, AudioFormat::Ogg, m_converter);
        ASSERT_TRUE(rewrite);
        ASSERT_EQ(WriteTagEdit(path, rewrite->edit), 0);

        const std::string after = ReadFile(path);
        const TagLib::FileRef file(path.c_str(), false);
        ASSERT_FALSE(file.isNull());
        EXPECT_EQ(file.tag()->title().to8Bit(true), c.title);
        EXPECT_EQ(file.tag()->artist().to8Bit(true), c.artist);
        const std::vector<OggPage> pages = PagesWithRightCrcs(after, 0);
        ASSERT_GE(pages.size(), 3u);
        const std::size_t head = pages[1].End();
        const std::size_t oldHead = *OggHeadSize(MemoryBytes(c.bytes));
        EXPECT_TRUE(after.substr(head) == c.bytes.substr(oldHead)) << "no other page changes";
        EXPECT_TRUE(after.substr(0, pages[0].End()) == c.bytes.substr(0, pages[0].End()));
        EXPECT_EQ(WriteTagEdit(path, rewrite->edit), EALREADY);
        EXPECT_FALSE(PlanTagRepair(path, AudioFormat::Ogg, m_converter)) << "repaired once";

        ASSERT_EQ(WriteTagEdit(path, InverseOf(rewrite->edit)), 0);
        EXPECT_TRUE(ReadFile(path) == c.bytes) << "taken back byte for byte";
    }
}

TEST_F(OggRepairTest, FilesThatNeedNoneOrCannotTakeOneAreLeftAlone) {
    const std::string good = SampleBytes("gbk.ogg");
    const std::string utf8 = m_dir / "utf8.ogg";
    ASSERT_TRUE(WriteSample(utf8, Sample::OggVorbis, "童话", "光良"));
    const OggPage first = *ReadOggPage(MemoryBytes(good), 0);
    std::string continued = good;
    continued[first.End() + 5] |= kOggContinued;
    std::string otherStream = good;
    otherStream[first.End() + kOggSerialOffset] ^= 1;
    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"UTF-8 already", ReadFile(utf8)},
        {"the second page goes on a packet", continued},
        {"the second page of another stream", otherStream},
        {"cut inside the second page", good.substr(0, first.End() + 40)},
        {"no Ogg file", "OggZ" + good.substr(4)},
    };
    const std::string path = m_dir / "song.ogg";
    ASSERT_TRUE(PlanOggTagRepair(MemoryBytes(good), m_converter)) << "the cases' source";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(path, c.bytes);
        EXPECT_FALSE(PlanTagRepair(path, AudioFormat::Ogg, m_converter));
    }
}

}  // namespace
