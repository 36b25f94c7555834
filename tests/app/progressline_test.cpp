#include "app/progressline.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace {

using ::testing::ElementsAre;

class ProgressLineTest : public ::testing::Test {
protected:
    std::ostringstream m_out;
    std::uint32_t m_now = 5000;

    ProgressLine Make(ProgressLine::Mode mode, int columns = 40) {
        return ProgressLine(m_out, mode, columns, [this] { return m_now; });
    }
    // Shows "step i" every `everyMs` for `count` times.
    void ShowMany(ProgressLine& line, int count, std::uint32_t everyMs) {
        for (int i = 0; i < count; ++i) {
            line.Show("step " + std::to_string(i));
            m_now += everyMs;
        }
    }
    int Count(const std::string& what) const {
        int n = 0;
        for (auto at = m_out.str().find(what); at != std::string::npos;
             at = m_out.str().find(what, at + 1)) {
            ++n;
        }
        return n;
    }
};

// Ten seconds of a flood of updates, a thousand a second, as a walk over a cold disk gives.
TEST_F(ProgressLineTest, AFloodBecomesAtMostTenShowingsASecondOnATerminal) {
    ProgressLine line = Make(ProgressLine::Mode::Terminal);
    ShowMany(line, 10000, 1);
    EXPECT_EQ(Count("\r"), 100);
    EXPECT_EQ(Count("\n"), 0) << "the live line rewrites itself";
    EXPECT_THAT(m_out.str(), testing::StartsWith("\rstep 0\x1b[K\rstep 100\x1b[K"));
}

TEST_F(ProgressLineTest, AFloodBecomesAtMostOneLineASecondElsewhere) {
    ProgressLine line = Make(ProgressLine::Mode::Lines);
    ShowMany(line, 10000, 1);
    EXPECT_EQ(Count("\n"), 10);
    EXPECT_EQ(Count("\r"), 0);
    EXPECT_THAT(m_out.str(), testing::StartsWith("step 0\nstep 1000\nstep 2000\n"));
}

TEST_F(ProgressLineTest, SlowUpdatesAreAllShown) {
    ProgressLine terminal = Make(ProgressLine::Mode::Terminal);
    ShowMany(terminal, 5, 100);
    EXPECT_EQ(Count("\r"), 5);
    m_out.str("");
    ProgressLine lines = Make(ProgressLine::Mode::Lines);
    ShowMany(lines, 5, 1000);
    EXPECT_EQ(Count("\n"), 5);
}

TEST_F(ProgressLineTest, LinesThatStayTakeTheLiveLineOffFirst) {
    ProgressLine line = Make(ProgressLine::Mode::Terminal);
    line.Show("live");
    line.Print("sortune: error");
    line.Print("sortune: summary");
    line.Clear();  // nothing live: nothing to take off
    EXPECT_EQ(m_out.str(), "\rlive\x1b[K\r\x1b[Ksortune: error\nsortune: summary\n");
}

TEST_F(ProgressLineTest, QuietShowsNoProgressButWhatMustBeSaid) {
    ProgressLine line = Make(ProgressLine::Mode::Quiet);
    ShowMany(line, 100, 1000);
    line.Note("mp3名称整理 - 2个文件开始整理");
    line.Print("sortune: error");
    EXPECT_EQ(m_out.str(), "sortune: error\n");
}

TEST_F(ProgressLineTest, ANoteIsNotRepeatedAfterTheSameLine) {
    ProgressLine line = Make(ProgressLine::Mode::Lines);
    line.Show("mp3名称整理 - 9个文件整理完毕");
    line.Note("mp3名称整理 - 9个文件整理完毕");  // the end of the pass, shown just before
    line.Note("mp3名称整理 - 0个文件开始整理");
    EXPECT_EQ(m_out.str(), "mp3名称整理 - 9个文件整理完毕\nmp3名称整理 - 0个文件开始整理\n");
}

TEST_F(ProgressLineTest, TheLiveLineFitsTheTerminal) {
    ProgressLine line = Make(ProgressLine::Mode::Terminal, 11);
    line.Show("整理完毕abcdefgh");  // 16 columns; 10 may be filled
    EXPECT_EQ(m_out.str(), "\r整理完毕ab\x1b[K");
    EXPECT_EQ(Make(ProgressLine::Mode::Terminal, 0).Width(), 79) << "unknown: 80 columns";
}

TEST(DisplayWidthTest, CountsWideCharactersTwice) {
    struct Case {
        std::string text;
        int width;
    };
    const Case cases[] = {
        {"", 0},   {"abc", 3}, {"小雨", 4}, {"a小b", 4},     {"ｅ", 2},
        {"한", 2}, {"é", 1},   {"\xff", 1}, {"\xe5\xb0", 2},  // a character cut short: each stray
                                                              // byte one column
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DisplayWidth(c.text), c.width) << c.text;
    }
}

TEST(ShortenFromLeftTest, KeepsTheEndOfAPath) {
    struct Case {
        std::string text;
        int width;
        std::string shortened;
    };
    const Case cases[] = {
        {"/music/pop", 10, "/music/pop"},
        {"/music/pop", 9, "…usic/pop"},
        {"/音乐/流行", 10, "/音乐/流行"},
        {"/音乐/流行", 9, "…乐/流行"},
        {"/音乐/流行", 7, "…/流行"},  // a wide character does not fit into one column
        {"/music", 1, "…"},
        {"/music", 0, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShortenFromLeft(c.text, c.width), c.shortened) << c.text << " " << c.width;
    }
}

TEST(FitWidthTest, CutsWholeCharactersOnly) {
    EXPECT_EQ(FitWidth("小雨abc", 3), "小");
    EXPECT_EQ(FitWidth("小雨abc", 5), "小雨a");
    EXPECT_EQ(FitWidth("abc", 10), "abc");
}

}  // namespace
