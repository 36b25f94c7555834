#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "tests/support/fileio.h"
#include "tests/support/programrun.h"

// The manual page and the shell completion are written by hand; these checks keep them and
// the program's own help telling of the same options.

namespace {

const std::string kDesktopDir = std::string(SORTUNE_RESOURCE_DIR) + "/desktop/";

std::set<std::string> OptionsIn(const std::string& text, const std::regex& pattern) {
    std::set<std::string> options;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        options.insert((*it)[1].str());
    }
    return options;
}

// The options of the help's option table: the lines that start with spaces and a dash.
std::set<std::string> HelpOptions() {
    const ProgramResult help =
        RunProgram(SORTUNE_EXECUTABLE, {"--help"}, {.lang = "C", .extra = {}});
    EXPECT_EQ(help.status, 0);
    std::set<std::string> options;
    const std::regex line(R"(\n {2,}((?:-[a-zA-Z], )?-[-a-zA-Z]+))");
    for (const std::string& entry : OptionsIn(help.out, line)) {
        for (const std::string& option : OptionsIn(entry, std::regex(R"((-[-a-zA-Z]+))"))) {
            options.insert(option);
        }
    }
    return options;
}

// The options that head a paragraph of the manual page: ".TP" then ".BR \-n ", " \-\-dry\-run".
std::set<std::string> ManualOptions() {
    const std::string page = ReadFile(kDesktopDir + "sortune.1");
    std::set<std::string> options;
    const std::regex heading(R"(\.TP\n\.BR? ([^\n]*))");
    for (const std::string& line : OptionsIn(page, heading)) {
        const std::string plain = std::regex_replace(line, std::regex(R"(\\-)"), "-");
        for (const std::string& option : OptionsIn(plain, std::regex(R"((-[-a-zA-Z]+))"))) {
            options.insert(option);
        }
    }
    return options;
}

TEST(DocumentationTest, TheManualPageDescribesEveryOptionOfTheHelp) {
    const std::set<std::string> help = HelpOptions();
    ASSERT_GE(help.size(), 10u);
    std::set<std::string> described = ManualOptions();
    described.erase("--");  // ends the options; the help tells of it in words
    EXPECT_EQ(described, help);
}

TEST(DocumentationTest, TheCompletionOffersExactlyTheOptionsOfTheHelp) {
    const std::string script = ReadFile(kDesktopDir + "sortune.bash-completion");
    std::smatch words;
    ASSERT_TRUE(std::regex_search(script, words, std::regex("options='([^']*)'")));
    std::set<std::string> offered = OptionsIn(words[1].str(), std::regex(R"((-[-a-zA-Z]+))"));
    offered.erase("--");  // ends the options; the help tells of it in words
    EXPECT_EQ(offered, HelpOptions());
}

}  // namespace
