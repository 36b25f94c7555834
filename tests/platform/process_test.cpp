#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/tempdir.h"

namespace {

// The Windows rules of splitting, including the ones a careless quoter gets wrong.
TEST(ProcessTest, SplitsCommandLinesByTheWindowsRules) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"", {}},
        {"  \t ", {}},
        {"a b\tc", {"a", "b", "c"}},
        {"\"a b\" c", {"a b", "c"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"\"", {""}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"a\\b c\\\\d", {"a\\b", "c\\\\d"}},
        {"a\\\"b", {"a\"b"}},
        {"a\\\\\"b c\"", {"a\\b c"}},
        {"a\\\\\\\"b", {"a\\\"b"}},
        {"\"end\\\\\" x", {"end\\", "x"}},
        {"\"open quote", {"open quote"}},
        {"line\nbreak", {"line\nbreak"}},
    };
    for (const auto& [line, words] : cases) {
        EXPECT_EQ(SplitCommandLine(line), words) << line;
    }
}

TEST(ProcessTest, QuotedArgumentsSplitBackUnchanged) {
    const std::vector<std::string> words = {
        "plain",   "",          "two words",      "tab\there", "say \"hi\"",       "\\\"", "end\\",
        "end\\\\", "a\\b\\\"c", "$HOME `id` ;|&", "new\nline", "\xFF\xFE\xB0\xAE", "\"",   "\\",
    };
    std::string line;
    for (const std::string& word : words) {
        EXPECT_EQ(SplitCommandLine(QuoteArgument(word)), std::vector<std::string>{word}) << word;
        line += QuoteArgument(word) + " ";
    }
    EXPECT_EQ(SplitCommandLine(line), words);
    EXPECT_EQ(QuoteArgument("plain"), "plain");
}

TEST(ProcessTest, FindsProgramsInThePath) {
    TempDir dir;
    const std::string program = dir / "tool";
    std::filesystem::copy_file("/bin/true", program);
    std::filesystem::create_directory(dir / "folder");
    const char* old = std::getenv("PATH");
    const std::string saved = old != nullptr ? old : "";
    setenv("PATH", ("/nonexistent:" + dir.path()).c_str(), 1);
    EXPECT_EQ(process::FindProgram("tool"), program);
    EXPECT_EQ(process::FindProgram("folder"), "");
    EXPECT_EQ(process::FindProgram("missing"), "");
    EXPECT_EQ(process::FindProgram(program), program);
    EXPECT_EQ(process::FindProgram(dir / "folder"), "");
    EXPECT_EQ(process::RunAndWait({"tool"}), 0);
    EXPECT_EQ(process::RunAndWait({"missing"}), -1);
    setenv("PATH", saved.c_str(), 1);
    EXPECT_EQ(process::RunAndWait({"/bin/sh", "-c", "exit 3"}), 3);
}

TEST(ProcessTest, CreateProcessStartsTheProgramDetachedOrFails) {
    TempDir dir;
    const std::string marker = dir / "it ran";
    std::string line = QuoteArgument("/bin/sh") + " -c " +
                       QuoteArgument("sleep 0.2; echo \"$0\" > \"$1\"") + " name " +
                       QuoteArgument(marker);
    STARTUPINFOA startup{};
    PROCESS_INFORMATION info{};
    ASSERT_EQ(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &info),
              TRUE);
    EXPECT_GT(info.dwProcessId, 0u);
    EXPECT_TRUE(CloseHandle(info.hProcess));
    // Not our child: nothing to wait for, and it runs on.
    EXPECT_EQ(waitpid(static_cast<pid_t>(info.dwProcessId), nullptr, WNOHANG), -1);
    for (int i = 0; i < 200 && !std::filesystem::exists(marker); ++i) {
        usleep(20000);
    }
    EXPECT_TRUE(std::filesystem::exists(marker));

    for (std::string bad : {std::string("/no/such/program"), dir.path(), std::string("")}) {
        EXPECT_EQ(CreateProcessA(nullptr, bad.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &info),
                  FALSE)
            << bad;
    }
}

}  // namespace
