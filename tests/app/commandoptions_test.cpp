#include "app/commandoptions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ::testing::ElementsAreArray;

ParsedCommandLine Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "sortune");
    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    return ParseCommandOptions(static_cast<int>(argv.size()), argv.data());
}

// The options as one short text, so that a table can say what each command line gives.
std::string Summary(const CommandOptions& o) {
    std::string text;
    const char* requests[] = {"", "undo ", "redo ", "history ", "help ", "version "};
    text += requests[static_cast<int>(o.request)];
    text += o.dryRun ? "n" : "-";
    text += o.recursive ? (*o.recursive ? "r" : "R") : "-";
    text += o.byArtist ? "a" : "-";
    text += o.verbose ? "v" : "-";
    text += o.quiet ? "q" : "-";
    return text;
}

TEST(ParseCommandOptionsTest, ReadsOptionsTheGnuWay) {
    struct Case {
        std::vector<std::string> args;
        std::string options;
        std::vector<std::string> paths;
    };
    const Case cases[] = {
        {{"/m"}, "-----", {"/m"}},
        {{"-n", "/m"}, "n----", {"/m"}},
        {{"--dry-run", "/m"}, "n----", {"/m"}},
        {{"/m", "-n"}, "n----", {"/m"}},  // options after a path count too
        {{"-nrav", "/m"}, "nrav-", {"/m"}},
        {{"-r", "--no-recursive", "/m"}, "-R---", {"/m"}},  // the last one holds
        {{"--no-recursive", "--recursive", "/m"}, "-r---", {"/m"}},
        {{"--by-artist", "--verbose", "--quiet", "/m"}, "--avq", {"/m"}},
        {{"/a", "b", "/c"}, "-----", {"/a", "b", "/c"}},
        {{"--", "-n", "--help"}, "-----", {"-n", "--help"}},  // "--" ends the options
        {{"-"}, "-----", {"-"}},                              // a lone dash is a name
        {{"i"}, "-----", {"i"}},
        {{"--help"}, "help -----", {}},
        {{"-h", "/m"}, "help -----", {"/m"}},
        {{"--version"}, "version -----", {}},
        {{"--version", "--help"}, "help -----", {}},
        {{"--help", "--version"}, "help -----", {}},
        {{"--undo"}, "undo -----", {}},
        {{"--undo", "-n", "-v"}, "undo n--v-", {}},
        {{"--redo"}, "redo -----", {}},
        {{"--undo", "--redo"}, "redo -----", {}},  // the last one holds
        {{"--history"}, "history -----", {}},
        {{"--undo", "--help"}, "help -----", {}},
        {{"--help", "--undo"}, "help -----", {}},
        {{"--version", "--redo"}, "version -----", {}},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = Parse(c.args);
        const std::string shown = testing::PrintToString(c.args);
        EXPECT_EQ(parsed.problem, UsageProblem::None) << shown;
        EXPECT_EQ(Summary(parsed.options), c.options) << shown;
        EXPECT_THAT(parsed.options.paths, ElementsAreArray(c.paths)) << shown;
    }
}

TEST(ParseCommandOptionsTest, RefusesWhatItDoesNotUnderstand) {
    struct Case {
        std::vector<std::string> args;
        UsageProblem problem;
        std::string text;
    };
    const Case cases[] = {
        {{"--dryrun", "/m"}, UsageProblem::UnknownOption, "--dryrun"},
        {{"/m", "--dry"}, UsageProblem::UnknownOption, "--dry"},  // no abbreviations
        {{"--Dry-Run", "/m"}, UsageProblem::UnknownOption, "--Dry-Run"},
        {{"--dryrun=1", "/m"}, UsageProblem::UnknownOption, "--dryrun=1"},
        {{"--dry-run=yes", "/m"}, UsageProblem::UnexpectedValue, "--dry-run"},
        {{"--recursive=", "/m"}, UsageProblem::UnexpectedValue, "--recursive"},
        {{"--help=me"}, UsageProblem::UnexpectedValue, "--help"},
        {{"-x", "/m"}, UsageProblem::UnknownShort, "x"},
        {{"-nx", "/m"}, UsageProblem::UnknownShort, "x"},
        {{"-N", "/m"}, UsageProblem::UnknownShort, "N"},
        {{"-n5", "/m"}, UsageProblem::UnknownShort, "5"},
        {{"/m", "-/"}, UsageProblem::UnknownShort, "/"},
        {{"---", "/m"}, UsageProblem::UnknownOption, "---"},
        {{"--help", "--bogus"}, UsageProblem::UnknownOption, "--bogus"},  // even with --help
        {{}, UsageProblem::MissingPath, ""},
        {{"-n"}, UsageProblem::MissingPath, ""},
        {{"--"}, UsageProblem::MissingPath, ""},
        {{"--undo", "/m"}, UsageProblem::PathNotTaken, "--undo"},
        {{"/m", "--redo"}, UsageProblem::PathNotTaken, "--redo"},
        {{"--history", "--", "x"}, UsageProblem::PathNotTaken, "--history"},
        {{"--undo=1"}, UsageProblem::UnexpectedValue, "--undo"},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = Parse(c.args);
        const std::string shown = testing::PrintToString(c.args);
        EXPECT_EQ(parsed.problem, c.problem) << shown;
        EXPECT_EQ(parsed.text, c.text) << shown;
    }
}

}  // namespace
