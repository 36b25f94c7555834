// The tag repair from the tags as taggers write them to what an independent reader (TagLib)
// finds after it, and back.

#include "organizer/tagrepair.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

#include <map>
#include <string>
#include <vector>

#include "organizer/id3v2tag.h"
#include "organizer/tagwriter.h"
#include "tests/support/encode.h"
#include "tests/support/fileio.h"
#include "tests/support/loadedtables.h"
#include "tests/support/mp3writer.h"
#include "tests/support/tempdir.h"

namespace {

std::string In(const char* utf8, const char* charset) {
    return EncodeAs(utf8, charset).value_or("");
}

// What TagLib reads of a file's ID3v2 text frames: id to text (UTF-8) and whether the frame
// is Unicode; and the tag's version.
struct Seen {
    int version = 0;
    std::map<std::string, std::string> texts;
    std::map<std::string, bool> unicode;
};

Seen ReadWithTagLib(const std::string& path) {
    TagLib::MPEG::File file(path.c_str(), false);
    Seen seen;
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(false);
    if (tag == nullptr) {
        return seen;
    }
    seen.version = static_cast<int>(tag->header()->majorVersion());
    for (const char* id : {"TIT2", "TPE1", "TPE2", "TALB"}) {
        const TagLib::ID3v2::FrameList& frames = tag->frameListMap()[id];
        if (frames.isEmpty()) {
            continue;
        }
        const auto* text = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(frames.front());
        seen.texts[id] = frames.front()->toString().to8Bit(true);
        seen.unicode[id] = text != nullptr && text->textEncoding() != TagLib::String::Latin1;
    }
    return seen;
}

// The bytes after the ID3v2 tag the file starts with: the audio and the ID3v1 tag.
std::string AfterTag(const std::string& bytes) {
    return bytes.substr(Id3v2TagSize(bytes.substr(0, kId3v2HeaderSize)));
}

class TagRepairTest : public testing::Test {
protected:
    TempDir m_dir;
    ChineseConverter m_converter{LoadedTables()};
};

TEST_F(TagRepairTest, ChineseTextBecomesUnicodeAndEverythingElseStays) {
    const Id3v2Frame picture = PictureFrame(1024 * 1024);
    const Id3v2Frame comment{"COMM", std::string("\0eng\0", 5) + In("评论", "GBK")};
    struct Case {
        const char* what;
        Mp3Fixture fixture;
        std::map<std::string, std::string> expected;  // text frames after the repair
        int version;
        bool inPlace;  // the file keeps its size
    };
    const std::vector<Case> cases = {
        {"ID3v1 only, GBK",
         {.id3v1 = Id3v1Tag{.title = In("爱你一万年", "GBK"),
                            .artist = In("刘德华", "GBK"),
                            .album = In("真我的风采", "GBK")}},
         {{"TIT2", "爱你一万年"}, {"TPE1", "刘德华"}, {"TALB", "真我的风采"}},
         3,
         false},
        {"ID3v2.3 Latin-1 frames, GBK, with padding",
         {.id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text(In("小雨", "GBK"))},
                                       {"TPE1", Latin1Text(In("歌手甲", "GBK"))},
                                       comment,
                                       {"TALB", Latin1Text(In("童年", "GBK"))}},
                            .padding = 256}},
         {{"TIT2", "小雨"}, {"TPE1", "歌手甲"}, {"TALB", "童年"}},
         3,
         true},
        {"ID3v2.3 Latin-1 frames, Big5 traditional, a band",
         {.id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text(In("愛你一萬年", "BIG5"))},
                                       {"TPE2", Latin1Text(In("劉德華", "BIG5"))}},
                            .padding = 64}},
         {{"TIT2", "爱你一万年"}, {"TPE2", "刘德华"}},
         3,
         true},
        {"ID3v2.4: Latin-1 beside UTF-8 that is right",
         {.id3v2 = Id3v2Tag{.version = 4,
                            .frames = {{"TIT2", Utf8Text("晴天")},
                                       {"TPE1", Latin1Text(In("周杰伦", "GBK"))}},
                            .padding = 32}},
         {{"TIT2", "晴天"}, {"TPE1", "周杰伦"}},
         4,
         true},
        {"a 1 MB picture and no padding",
         {.id3v2 = Id3v2Tag{.frames = {picture, {"TIT2", Latin1Text(In("红豆", "GBK"))}}}},
         {{"TIT2", "红豆"}},
         3,
         false},
        {"GBK bytes widened into UTF-16",
         {.id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf16Text(Widened(In("红豆", "GBK")))},
                                       {"TPE1", Utf16Text(u"王菲")}},
                            .padding = 16}},
         {{"TIT2", "红豆"}, {"TPE1", "王菲"}},
         3,
         true},
        {"ID3v1 GBK beside an ID3v2 tag without the frames",
         {.id3v1 = Id3v1Tag{.title = In("小雨", "GBK"), .artist = "Band"},
          .id3v2 = Id3v2Tag{.frames = {comment}, .padding = 100}},
         {{"TIT2", "小雨"}},
         3,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = m_dir / "song.mp3";
        ASSERT_TRUE(WriteMp3(path, c.fixture));
        const std::string before = ReadFile(path);

        const std::optional<TagRewrite> rewrite =
            PlanTagRepair(path, AudioFormat::Mp3, m_converter);
        ASSERT_TRUE(rewrite);
        ASSERT_EQ(WriteTagEdit(path, rewrite->edit), 0);

        const std::string after = ReadFile(path);
        const Seen seen = ReadWithTagLib(path);
        EXPECT_EQ(seen.version, c.version);
        EXPECT_EQ(seen.texts, c.expected);
        for (const auto& [id, unicode] : seen.unicode) {
            EXPECT_TRUE(unicode) << id;
        }
        EXPECT_TRUE(AfterTag(after) == (c.fixture.id3v2 ? AfterTag(before) : before))
            << "the audio and the ID3v1 tag stay";
        EXPECT_EQ(after.size() == before.size(), c.inPlace);
        for (const Id3v2Frame& kept : {picture, comment}) {
            const std::string frame =
                RenderMp3({.id3v2 = Id3v2Tag{.frames = {kept}}, .audioFrames = 0})
                    .substr(kId3v2HeaderSize);
            EXPECT_EQ(before.find(frame) != std::string::npos,
                      after.find(frame) != std::string::npos);
        }
        EXPECT_EQ(WriteTagEdit(path, rewrite->edit), EALREADY);

        ASSERT_EQ(WriteTagEdit(path, InverseOf(rewrite->edit)), 0);
        EXPECT_TRUE(ReadFile(path) == before) << "taken back byte for byte";
    }
}

TEST_F(TagRepairTest, TextThatIsRightOrUncertainIsLeftAlone) {
    struct Case {
        const char* what;
        Mp3Fixture fixture;
    };
    const std::vector<Case> cases = {
        {"no tags", {}},
        {"Unicode already", {.id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf16Text(u"小雨")}}}}},
        {"ASCII", {.id3v1 = Id3v1Tag{.title = "Rain"}}},
        {"Latin text", {.id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text("Caf\xE9 M\xFCller")}}}}},
        {"a real Latin title in UTF-16",
         {.id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf16Text(u"räksmörgås")}}}}},
        {"GBK that is no clean Chinese",
         {.id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text(In("童話", "GBK"))}}}}},
        {"a tag unsynchronised as a whole",
         {.id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text(In("小雨", "GBK"))}},
                            .unsynchronised = true}}},
        {"an ID3v2.2 tag",
         {.id3v2 = Id3v2Tag{.version = 2, .frames = {{"TT2", Latin1Text(In("小雨", "GBK"))}}}}},
        {"an appended tag",
         {.id3v1 = Id3v1Tag{.title = In("小雨", "GBK")},
          .id3v2 = Id3v2Tag{.version = 4, .frames = {{"TIT2", Utf8Text("小雨")}}, .footer = true},
          .id3v2AtEnd = true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = m_dir / "song.mp3";
        ASSERT_TRUE(WriteMp3(path, c.fixture));
        EXPECT_FALSE(PlanTagRepair(path, AudioFormat::Mp3, m_converter));
    }
}

// The writer writes only the edit it was given, and only over the bytes it was made for.
TEST_F(TagRepairTest, AnEditIsWrittenOnlyOverItsSource) {
    const std::string path = m_dir / "song.mp3";
    const Mp3Fixture fixture{
        .id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text(In("小雨", "GBK"))}}, .padding = 64}};
    ASSERT_TRUE(WriteMp3(path, fixture));
    const std::optional<TagRewrite> rewrite = PlanTagRepair(path, AudioFormat::Mp3, m_converter);
    ASSERT_TRUE(rewrite);

    // Changed since the plan: one byte of the tag.
    std::string changed = ReadFile(path);
    changed[20] ^= 1;
    WriteFile(path, changed);
    EXPECT_EQ(WriteTagEdit(path, rewrite->edit), ESTALE);
    EXPECT_TRUE(ReadFile(path) == changed);

    ASSERT_EQ(mkfifo((m_dir / "pipe.mp3").c_str(), 0600), 0);
    EXPECT_EQ(WriteTagEdit(m_dir / "pipe.mp3", rewrite->edit), EINVAL);
    ASSERT_EQ(symlink(path.c_str(), (m_dir / "link.mp3").c_str()), 0);
    EXPECT_EQ(WriteTagEdit(m_dir / "link.mp3", rewrite->edit), EINVAL);
    EXPECT_EQ(WriteTagEdit(m_dir / "missing.mp3", rewrite->edit), ENOENT);
}

// A file written anew keeps its mode; the new file replaces the old one under its name.
TEST_F(TagRepairTest, AFileWrittenAnewKeepsItsMode) {
    const std::string path = m_dir / "song.mp3";
    ASSERT_TRUE(WriteMp3(path, {.id3v1 = Id3v1Tag{.title = In("小雨", "GBK")}}));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    const std::optional<TagRewrite> rewrite = PlanTagRepair(path, AudioFormat::Mp3, m_converter);
    ASSERT_TRUE(rewrite);
    ASSERT_EQ(WriteTagEdit(path, rewrite->edit), 0);

    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no file is left beside it";
}

}  // namespace
