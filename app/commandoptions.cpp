#include "app/commandoptions.h"

#include <array>
#include <string_view>

namespace {

struct OptionSpec {
    char letter;  // '\0' when there is no short form
    std::string_view name;
    void (*apply)(CommandOptions&);
};

// Help goes before the version, which goes before the other requests; among those the last
// one given holds.
int Rank(Request request) {
    switch (request) {
        case Request::Help:
            return 3;
        case Request::Version:
            return 2;
        case Request::Organize:
            return 0;
        case Request::Undo:
        case Request::Redo:
        case Request::History:
            break;
    }
    return 1;
}

template <Request request>
void Ask(CommandOptions& options) {
    if (Rank(request) >= Rank(options.request)) {
        options.request = request;
    }
}

constexpr std::array kOptions{
    OptionSpec{'n', "dry-run", [](CommandOptions& o) { o.dryRun = true; }},
    OptionSpec{'r', "recursive", [](CommandOptions& o) { o.recursive = true; }},
    OptionSpec{'\0', "no-recursive", [](CommandOptions& o) { o.recursive = false; }},
    OptionSpec{'a', "by-artist", [](CommandOptions& o) { o.byArtist = true; }},
    OptionSpec{'t', "fix-tags", [](CommandOptions& o) { o.fixTags = true; }},
    OptionSpec{'\0', "no-rename", [](CommandOptions& o) { o.noRename = true; }},
    OptionSpec{'A', "all-formats", [](CommandOptions& o) { o.allFormats = true; }},
    OptionSpec{'v', "verbose", [](CommandOptions& o) { o.verbose = true; }},
    OptionSpec{'q', "quiet", [](CommandOptions& o) { o.quiet = true; }},
    OptionSpec{'\0', "undo", Ask<Request::Undo>},
    OptionSpec{'\0', "redo", Ask<Request::Redo>},
    OptionSpec{'\0', "history", Ask<Request::History>},
    OptionSpec{'h', "help", Ask<Request::Help>},
    OptionSpec{'\0', "version", Ask<Request::Version>},
};

const OptionSpec* FindLong(std::string_view name) {
    for (const OptionSpec& spec : kOptions) {
        if (spec.name == name) {
            return &spec;
        }
    }
    return nullptr;
}

const OptionSpec* FindShort(char letter) {
    for (const OptionSpec& spec : kOptions) {
        if (spec.letter != '\0' && spec.letter == letter) {
            return &spec;
        }
    }
    return nullptr;
}

// "--name" or "--name=value"; no option takes a value.
void TakeLong(std::string_view arg, ParsedCommandLine& parsed) {
    const std::string_view body = arg.substr(2);
    const auto equals = body.find('=');
    const OptionSpec* spec = FindLong(body.substr(0, equals));
    if (spec == nullptr) {
        parsed.problem = UsageProblem::UnknownOption;
        parsed.text = arg;
    } else if (equals != std::string_view::npos) {
        parsed.problem = UsageProblem::UnexpectedValue;
        parsed.text = "--" + std::string(spec->name);
    } else {
        spec->apply(parsed.options);
    }
}

// "-nv": each letter an option.
void TakeShorts(std::string_view arg, ParsedCommandLine& parsed) {
    for (const char letter : arg.substr(1)) {
        const OptionSpec* spec = FindShort(letter);
        if (spec == nullptr) {
            parsed.problem = UsageProblem::UnknownShort;
            parsed.text = std::string(1, letter);
            return;
        }
        spec->apply(parsed.options);
    }
}

}  // namespace

ParsedCommandLine ParseCommandOptions(int argc, const char* const* argv) {
    ParsedCommandLine parsed;
    bool optionsEnded = false;
    for (int i = 1; i < argc && parsed.problem == UsageProblem::None; ++i) {
        const std::string_view arg(argv[i]);
        if (optionsEnded || arg == "-" || !arg.starts_with('-')) {
            parsed.options.paths.emplace_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg.starts_with("--")) {
            TakeLong(arg, parsed);
        } else {
            TakeShorts(arg, parsed);
        }
    }
    if (parsed.problem != UsageProblem::None) {
        return parsed;
    }
    const Request request = parsed.options.request;
    if (request == Request::Organize && parsed.options.paths.empty()) {
        parsed.problem = UsageProblem::MissingPath;
    } else if (Rank(request) == 1 && !parsed.options.paths.empty()) {
        parsed.problem = UsageProblem::PathNotTaken;
        parsed.text = request == Request::Undo   ? "--undo"
                      : request == Request::Redo ? "--redo"
                                                 : "--history";
    }
    return parsed;
}
