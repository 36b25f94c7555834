#include <cstdio>

#include "app/commandlinestart.h"
#include "app/shellextension.h"
#include "platform/commandline.h"

namespace {

constexpr const char* kUsage =
    "Usage: sortune [OPTION]... [PATH]\n"
    "Give each MP3 and WMA file in the folder of PATH the song title from its tags as its\n"
    "name, converting traditional Chinese (Big5) titles to simplified Chinese.\n"
    "PATH names a file or folder; the folder that holds it is organized, so DIR/.\n"
    "organizes DIR itself. The options saved in the settings apply.\n"
    "\n"
    "  --dry-run  change nothing; print what would be done, one tab-separated line per\n"
    "             file: rename OLD NEW, link LINK TARGET, delete DEADLINK or\n"
    "             keep PATH REASON (no title, name taken, same name, name too long);\n"
    "             in paths \\\\, \\t, \\n and \\r stand for a backslash, tab, line feed\n"
    "             and carriage return\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Progress goes to standard error. Ctrl-C stops the run between two files.\n";

// Other switches have no effect; saying so keeps a mistyped --dry-run from passing unnoticed.
void WarnOfUnknownSwitches(const CommandLineInfo& info) {
    for (const std::string& name : info.switches) {
        if (name != "--help" && name != "-h" && name != "--version" && name != "--dry-run") {
            std::fprintf(stderr, "sortune: ignoring unknown option '%s'\n", name.c_str());
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const CommandLineInfo info = ParseCommandLine(argc, argv);
    if (info.showHelp) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (info.showVersion) {
        std::printf("sortune %s\n", SORTUNE_VERSION);
        return 0;
    }
    if (info.m_strFileName == "i" || info.m_strFileName == "u") {
        return RunShellExtensionCommand(info.m_strFileName);
    }
    WarnOfUnknownSwitches(info);
    if (!info.m_strFileName.empty()) {
        return RunCommandLineStart(info);
    }
    std::fputs("sortune: give a PATH to organize\n\n", stderr);
    std::fputs(kUsage, stderr);
    return 2;
}
