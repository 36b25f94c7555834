#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

// The program under test run as a user runs it: in a locale of its own, without a display,
// its standard output and error caught.

struct ProgramEnvironment {
    std::string lang = "zh_CN.UTF-8";  // LANG; LC_ALL, LC_CTYPE and LC_MESSAGES are unset
    std::vector<std::pair<std::string, std::string>> extra;  // set after that
};

struct ProgramResult {
    int status = -1;  // the exit status, or 128 + the signal when a signal ended it
    std::string out;
    std::string err;
};

// Runs `program` with `args` and waits for its end.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const ProgramEnvironment& environment = {});

// A program started with its standard output and error on pipes (or standard error on a
// descriptor of the caller's, a terminal say), for tests that act while it runs.
class RunningProgram {
public:
    RunningProgram(const std::string& program, const std::vector<std::string>& args,
                   const ProgramEnvironment& environment = {}, int errorFd = -1);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    pid_t Pid() const { return m_pid; }
    int OutputFd() const { return m_out; }
    // Reads standard error until it holds `text`; false when it ended first.
    bool WaitForError(const std::string& text);
    // Reads both outputs to their end and waits for the program's end.
    ProgramResult Finish();

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    ProgramResult m_result;
};
