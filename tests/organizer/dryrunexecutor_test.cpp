#include "organizer/dryrunexecutor.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <sys/stat.h>

#include "tests/support/contenthash.h"
#include "tests/support/fileio.h"
#include "tests/support/tempdir.h"
#include "tests/support/unprivileged.h"

namespace {

struct FormatCase {
    Change step;
    std::string line;
};

TEST(FormatStepTest, WritesOneTabSeparatedLinePerStep) {
    const FormatCase cases[] = {
        {Change::Rename("/m/a.mp3", "/m/小雨.mp3"), "rename\t/m/a.mp3\t/m/小雨.mp3"},
        {Change::Link("/m/歌手甲/小雨.mp3.lnk", "/m/a.mp3"),
         "link\t/m/歌手甲/小雨.mp3.lnk\t/m/a.mp3"},
        {Change::Delete("/m/x.mp3.lnk"), "delete\t/m/x.mp3.lnk"},
        {Change::Keep("/m/a.mp3", Reason::NoTitle), "keep\t/m/a.mp3\tno title"},
        {Change::Keep("/m/a.mp3", Reason::NoUsableTitle), "keep\t/m/a.mp3\tno usable title"},
        {Change::Keep("/m/a.mp3", Reason::NameTaken), "keep\t/m/a.mp3\tname taken"},
        {Change::Keep("/m/a.mp3", Reason::SameName), "keep\t/m/a.mp3\tsame name"},
        {Change::Keep("/m/a.mp3", Reason::NameTooLong), "keep\t/m/a.mp3\tname too long"},
        {Change::Keep("/m/a.mp3", Reason::FolderNotWritable),
         "keep\t/m/a.mp3\tfolder not writable"},
        {Change::Keep("/m/a.mp3", Reason::Changed), "keep\t/m/a.mp3\tchanged"},
        {Change::Keep("/m/a.mp3", Reason::Failed), "keep\t/m/a.mp3\tfailed"},
    };
    for (const FormatCase& c : cases) {
        EXPECT_EQ(FormatStep(c.step), c.line);
    }
}

TEST(FormatStepTest, EscapesWhatWouldBreakTheLine) {
    const Change step = Change::Rename("/m/a\tb\nc\rd\\e $'\".mp3", "/m/\xff\xfe.mp3");
    EXPECT_EQ(FormatStep(step), "rename\t/m/a\\tb\\nc\\rd\\\\e $'\".mp3\t/m/\xff\xfe.mp3");
}

class PreviewExecutorTest : public ::testing::Test {
protected:
    TempDir m_dir;
    std::ostringstream m_out;
    DryRunExecutor m_preview{m_out};

    void SetUp() override {
        std::ofstream(m_dir / "a.mp3") << "a";
        std::ofstream(m_dir / "taken.mp3") << "taken";
        std::ofstream(m_dir / "file.mp3.lnk") << "not a link";
    }
    // The line shown for `step`, after the steps shown before it.
    std::string Show(const Change& step) {
        m_out.str("");
        m_preview.Execute(step);
        return m_out.str();
    }
};

TEST_F(PreviewExecutorTest, ShowsWhatTheStepsWouldComeToOneAfterTheOther) {
    const std::string d = m_dir.path() + "/";
    EXPECT_EQ(Show(Change::Rename(d + "x.mp3", d + "taken.mp3")),
              "keep\t" + d + "x.mp3\tname taken\n");
    EXPECT_EQ(Show(Change::Rename(d + "a.mp3", d + "b.mp3")),
              "rename\t" + d + "a.mp3\t" + d + "b.mp3\n");
    EXPECT_EQ(Show(Change::Rename(d + "c.mp3", d + "b.mp3")), "keep\t" + d + "c.mp3\tname taken\n")
        << "b.mp3 is taken by the rename shown before";
    EXPECT_EQ(Show(Change::Rename(d + "taken.mp3", d + "a.mp3")),
              "rename\t" + d + "taken.mp3\t" + d + "a.mp3\n")
        << "a.mp3 was given up by the rename shown before";

    EXPECT_EQ(Show(Change::Link(d + "file.mp3.lnk", d + "a.mp3")),
              "keep\t" + d + "a.mp3\tname taken\n");
    EXPECT_EQ(Show(Change::Link(d + "new.mp3.lnk", d + "a.mp3")),
              "link\t" + d + "new.mp3.lnk\t" + d + "a.mp3\n");
    EXPECT_EQ(Show(Change::Link(d + "new.mp3.lnk", d + "b.mp3")),
              "link\t" + d + "new.mp3.lnk\t" + d + "b.mp3\n")
        << "a shortcut replaces a shortcut";
    EXPECT_EQ(Show(Change::Rename(d + "b.mp3", d + "new.mp3.lnk")),
              "keep\t" + d + "b.mp3\tname taken\n");
    EXPECT_EQ(Show(Change::Delete(d + "new.mp3.lnk")), "delete\t" + d + "new.mp3.lnk\n");
    EXPECT_EQ(Show(Change::Rename(d + "b.mp3", d + "new.mp3.lnk")),
              "rename\t" + d + "b.mp3\t" + d + "new.mp3.lnk\n");
}

// The preview tells beforehand which steps a folder closed to changes would refuse.
TEST_F(PreviewExecutorTest, ShowsStepsAFolderClosedToChangesWouldRefuse) {
    const std::string d = m_dir.path() + "/";
    std::filesystem::create_directory(m_dir / "locked");
    std::ofstream(m_dir / "locked/a.mp3") << "a";
    std::ofstream(m_dir / "locked/taken.mp3") << "taken";
    ASSERT_EQ(chmod((m_dir / "locked").c_str(), 0555), 0);
    const Change steps[] = {
        Change::Rename(d + "locked/a.mp3", d + "locked/b.mp3"),
        Change::Rename(d + "locked/a.mp3", d + "locked/taken.mp3"),
        Change::Link(d + "locked/b.mp3.lnk", d + "a.mp3"),
        Change::Link(d + "locked/歌手/b.mp3.lnk", d + "a.mp3"),
        Change::Link(d + "歌手/b.mp3.lnk", d + "locked/a.mp3"),  // a new folder in an open one
        Change::Link(d + "歌手/c.mp3.lnk", d + "locked/a.mp3"),  // which the preview made
        Change::Delete(d + "locked/dead.mp3.lnk"),
        Change::Rename(d + "a.mp3", d + "b.mp3"),
    };

    RunUnprivileged(m_dir.path(), [&] {
        for (const Change& step : steps) {
            m_preview.Execute(step);
        }
        WriteFile(m_dir / "shown", m_out.str());
        return 0;
    });

    const std::string l = d + "locked/";
    EXPECT_EQ(ReadFile(m_dir / "shown"), "keep\t" + l +
                                             "a.mp3\tfolder not writable\n"
                                             "keep\t" +
                                             l +
                                             "a.mp3\tname taken\n"
                                             "keep\t" +
                                             d +
                                             "a.mp3\tfolder not writable\n"
                                             "keep\t" +
                                             d +
                                             "a.mp3\tfolder not writable\n"
                                             "link\t" +
                                             d + "歌手/b.mp3.lnk\t" + l +
                                             "a.mp3\n"
                                             "link\t" +
                                             d + "歌手/c.mp3.lnk\t" + l +
                                             "a.mp3\n"
                                             "keep\t" +
                                             l +
                                             "dead.mp3.lnk\tfolder not writable\n"
                                             "rename\t" +
                                             d + "a.mp3\t" + d + "b.mp3\n");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "歌手"));
}

TEST_F(PreviewExecutorTest, ChangesNothing) {
    const auto before = HashFileContents(m_dir.path());
    const std::string d = m_dir.path() + "/";
    m_preview.Execute(Change::Rename(d + "a.mp3", d + "b.mp3"));
    m_preview.Execute(Change::Link(d + "x/b.mp3.lnk", d + "b.mp3"));
    m_preview.Execute(Change::Delete(d + "file.mp3.lnk"));

    EXPECT_EQ(HashFileContents(m_dir.path()), before);
    EXPECT_TRUE(std::filesystem::exists(d + "a.mp3"));
    EXPECT_FALSE(std::filesystem::exists(d + "b.mp3"));
    EXPECT_FALSE(std::filesystem::exists(d + "x"));
}

}  // namespace
