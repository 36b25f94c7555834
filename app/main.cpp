#include <cstdio>

#include "platform/commandline.h"

namespace {

constexpr const char* kUsage =
    "Usage: sortune [OPTION]... [PATH]\n"
    "Give each MP3 and WMA file in the folder of PATH the song title from its tags as its\n"
    "name, converting traditional Chinese (Big5) titles to simplified Chinese.\n"
    "\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n";

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
    std::fputs(kUsage, stderr);
    return 2;
}
