#pragma once

#include <string>
#include <vector>

// The program's command line. Arguments arrive split by the shell; a switch begins with '-'
// (a path begins with '/', so '/' cannot mark one). After "--" every argument is a file.

struct CommandLineInfo {
    std::string m_strFileName;          // the first argument that is not a switch, or ""
    std::vector<std::string> switches;  // every switch as written, "--dry-run" say
    bool showHelp = false;              // "--help" or "-h"
    bool showVersion = false;           // "--version"

    bool HasSwitch(const std::string& name) const;
};

CommandLineInfo ParseCommandLine(int argc, const char* const* argv);
