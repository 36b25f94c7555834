#include "platform/commandline.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

CommandLineInfo Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "sortune");
    return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, TakesTheFirstNonSwitchAsTheFile) {
    const auto info = Parse({"--dry-run", "/music/My Songs/a.mp3", "/other"});
    EXPECT_EQ(info.m_strFileName, "/music/My Songs/a.mp3");
    EXPECT_TRUE(info.HasSwitch("--dry-run"));
    EXPECT_FALSE(info.HasSwitch("--other"));
    EXPECT_FALSE(info.showHelp);
    EXPECT_FALSE(info.showVersion);
}

TEST(CommandLine, KnowsHelpAndVersion) {
    EXPECT_TRUE(Parse({"--help"}).showHelp);
    EXPECT_TRUE(Parse({"-h"}).showHelp);
    EXPECT_TRUE(Parse({"x", "--version"}).showVersion);
    EXPECT_EQ(Parse({"x", "--version"}).m_strFileName, "x");
}

TEST(CommandLine, PathsStartingWithSlashAreFilesAndDoubleDashEndsSwitches) {
    EXPECT_EQ(Parse({"/tmp/a.mp3"}).m_strFileName, "/tmp/a.mp3");
    EXPECT_EQ(Parse({"i"}).m_strFileName, "i");
    EXPECT_EQ(Parse({"--", "-odd name.mp3"}).m_strFileName, "-odd name.mp3");
    EXPECT_EQ(Parse({"-"}).m_strFileName, "-");
    EXPECT_EQ(Parse({}).m_strFileName, "");
}

}  // namespace
