#include "app/startchoice.h"

namespace {

bool IsPlain(const ParsedCommandLine& parsed) {
    const CommandOptions& options = parsed.options;
    const bool understood =
        parsed.problem == UsageProblem::None || parsed.problem == UsageProblem::MissingPath;
    return understood && options.request == Request::Organize && !options.dryRun &&
           !options.recursive.has_value() && !options.byArtist && !options.fixTags &&
           !options.noRename && !options.allFormats && !options.verbose && !options.quiet &&
           options.paths.size() <= 1;
}

}  // namespace

StartKind ChooseStart(const ParsedCommandLine& parsed, bool hasDisplay) {
    const CommandOptions& options = parsed.options;
    if (parsed.problem == UsageProblem::None && options.request == Request::Organize &&
        (options.paths.front() == "i" || options.paths.front() == "u")) {
        return StartKind::ShellCommand;
    }
    return hasDisplay && IsPlain(parsed) ? StartKind::Dialog : StartKind::Terminal;
}
