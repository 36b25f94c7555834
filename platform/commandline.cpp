#include "platform/commandline.h"

#include <algorithm>
#include <string_view>

bool CommandLineInfo::HasSwitch(const std::string& name) const {
    return std::find(switches.begin(), switches.end(), name) != switches.end();
}

CommandLineInfo ParseCommandLine(int argc, const char* const* argv) {
    CommandLineInfo info;
    bool switchesEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (!switchesEnded && arg == "--") {
            switchesEnded = true;
        } else if (!switchesEnded && arg.starts_with('-') && arg.size() > 1) {
            info.switches.emplace_back(arg);
            info.showHelp = info.showHelp || arg == "--help" || arg == "-h";
            info.showVersion = info.showVersion || arg == "--version";
        } else if (info.m_strFileName.empty()) {
            info.m_strFileName = arg;
        }
    }
    return info;
}
