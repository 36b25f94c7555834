#include <cstdio>
#include <iostream>

#include "app/commandlinestart.h"
#include "app/commandoptions.h"
#include "app/messages.h"
#include "app/shellextension.h"
#include "app/undocommand.h"

int main(int argc, char** argv) {
    const ParsedCommandLine parsed = ParseCommandOptions(argc, argv);
    if (parsed.problem != UsageProblem::None) {
        std::cerr << messages::UsageError(parsed) << '\n' << messages::TryHelp() << '\n';
        return 2;
    }
    switch (parsed.options.request) {
        case Request::Help:
            std::cout << messages::Help();
            return 0;
        case Request::Version:
            std::printf("sortune %s\n", SORTUNE_VERSION);
            return 0;
        case Request::Undo:
        case Request::Redo:
            return RunUndoCommand(parsed.options);
        case Request::History:
            return RunHistoryCommand();
        case Request::Organize:
            break;
    }
    // The first argument that is no option may be one of the commands: "i" registers the
    // file managers' menu, "u" takes it away.
    const std::string& first = parsed.options.paths.front();
    if (first == "i" || first == "u") {
        return RunShellExtensionCommand(first);
    }
    return RunCommandLineStart(parsed.options);
}
