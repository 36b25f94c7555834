#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/wintypes.h"

// Starting programs. A command line in one string is split by the Windows rules and the
// program is executed directly, never through a shell, so that no character of a file name
// (a quote, '$', a backquote, a newline) can run a command or change the arguments.

using HANDLE = void*;

inline constexpr DWORD CREATE_DEFAULT_ERROR_MODE = 0x04000000;
inline constexpr DWORD NORMAL_PRIORITY_CLASS = 0x00000020;
inline constexpr DWORD STARTF_USESHOWWINDOW = 0x00000001;
inline constexpr WORD SW_SHOWNORMAL = 1;
inline constexpr WORD SW_SHOW = 5;

struct STARTUPINFOA {
    DWORD cb;
    char* lpReserved;
    char* lpDesktop;
    char* lpTitle;
    DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    BYTE* lpReserved2;
    HANDLE hStdInput, hStdOutput, hStdError;
};

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};

// Splits a command line into arguments by the Windows rules: spaces and tabs separate; a
// double quote begins or ends a quoted part; 2n backslashes before a quote give n backslashes,
// 2n+1 give n and a literal quote; other backslashes are literal; "" in a quoted part is a
// literal quote. The program name is read by the same rules as the other arguments, so that
// any path can be quoted.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// The argument quoted so that SplitCommandLine gives it back unchanged, whatever bytes it
// holds (NUL excepted); left as it is when it needs no quotes.
std::string QuoteArgument(std::string_view argument);

// Starts the program that `commandLine` names (`applicationName` must be null) with the
// arguments it holds, in `currentDirectory` (null: the caller's), with the caller's
// environment. The new process is not a child to wait for: it runs on after the caller ends,
// and nothing is left behind when it ends. FALSE when it could not be started (no such
// program, not executable). The handles need no closing; CloseHandle accepts them.
BOOL CreateProcessA(const char* applicationName, char* commandLine, void* processAttributes,
                    void* threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                    void* environment, const char* currentDirectory, STARTUPINFOA* startupInfo,
                    PROCESS_INFORMATION* processInformation);

BOOL CloseHandle(HANDLE handle);

namespace process {

// The path of the executable `name` in the folders of PATH, or "" when there is none. A name
// holding '/' is returned as it is when it names an executable file.
std::string FindProgram(const std::string& name);

// Runs the program `arguments[0]` (searched in PATH when it holds no '/') with the arguments
// and waits for its end. Returns its exit status, or -1 when it could not be started or was
// ended by a signal.
int RunAndWait(const std::vector<std::string>& arguments);

}  // namespace process
