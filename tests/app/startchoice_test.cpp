#include "app/startchoice.h"

#include <gtest/gtest.h>

namespace {

TEST(StartChoiceTest, TheWindowOpensWithADisplayForAtMostAPathAndNoOption) {
    struct Case {
        std::vector<const char*> args;
        bool display;
        StartKind expected;
    };
    const Case cases[] = {
        {{}, true, StartKind::Dialog},
        {{"/music/a.mp3"}, true, StartKind::Dialog},     // the desktop entry, the menu
        {{"--", "-song.mp3"}, true, StartKind::Dialog},  // "--" ends the options
        {{"/music/a.mp3"}, false, StartKind::Terminal},  // no display: as before
        {{}, false, StartKind::Terminal},                // says it needs a PATH
        {{"/a", "/b"}, true, StartKind::Terminal},       // several runs: a terminal's
        {{"-n", "/music/a.mp3"}, true, StartKind::Terminal},
        {{"/music/a.mp3", "--dry-run"}, true, StartKind::Terminal},
        {{"-r", "/music"}, true, StartKind::Terminal},
        {{"--no-recursive", "/music"}, true, StartKind::Terminal},
        {{"-a", "/music"}, true, StartKind::Terminal},
        {{"-v", "/music"}, true, StartKind::Terminal},
        {{"-t", "/music"}, true, StartKind::Terminal},  // the window would not see them
        {{"--no-rename", "-t", "/music"}, true, StartKind::Terminal},
        {{"-A", "/music"}, true, StartKind::Terminal},
        {{"-q", "/music"}, true, StartKind::Terminal},
        {{"--undo"}, true, StartKind::Terminal},
        {{"--redo"}, true, StartKind::Terminal},
        {{"--history"}, true, StartKind::Terminal},
        {{"--help"}, true, StartKind::Terminal},
        {{"--version"}, true, StartKind::Terminal},
        {{"--bogus", "/music/a.mp3"}, true, StartKind::Terminal},
        {{"i"}, true, StartKind::ShellCommand},
        {{"u"}, false, StartKind::ShellCommand},
        {{"I"}, true, StartKind::Dialog},  // not a command: a path named I
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"sortune"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const ParsedCommandLine parsed =
            ParseCommandOptions(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(ChooseStart(parsed, c.display), c.expected)
            << (c.args.empty() ? "(none)" : c.args.front()) << " display " << c.display;
    }
}

}  // namespace
