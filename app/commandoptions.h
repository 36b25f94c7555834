#pragma once

#include <optional>
#include <string>
#include <vector>

// The command line of the program, read the GNU way: options may come before, between and
// after the paths, short ones may be grouped (-nv), and "--" ends them. Anything that is not
// understood refuses the whole command line, so that a mistyped preview never runs for real.

enum class Request {
    Organize,
    Undo,     // --undo: take back the latest run
    Redo,     // --redo: take back the latest undo
    History,  // --history: list the journals
    Help,
    Version,
};

struct CommandOptions {
    Request request = Request::Organize;
    bool dryRun = false;            // -n, --dry-run: show what would be done, change nothing
    std::optional<bool> recursive;  // -r / --no-recursive; unset: the stored option holds
    bool byArtist = false;          // -a, --by-artist: links in artist folders, this run only
    bool fixTags = false;           // -t, --fix-tags: repair the tags' encoding too
    bool noRename = false;          // --no-rename: leave names as they are
    bool allFormats = false;        // -A, --all-formats: FLAC, Ogg, MP4, APE, WavPack too
    bool verbose = false;           // -v, --verbose: a real run prints each step as done
    bool quiet = false;             // -q, --quiet: no progress
    std::vector<std::string> paths;
};

enum class UsageProblem {
    None,
    UnknownOption,    // `text` is the argument, "--dryrun"
    UnknownShort,     // `text` is the one letter, "x" of "-nx"
    UnexpectedValue,  // `text` is the option, "--dry-run" of "--dry-run=yes"
    MissingPath,      // nothing to organize
    PathNotTaken,     // `text` is the request ("--undo") that takes no PATH
};

struct ParsedCommandLine {
    CommandOptions options;
    UsageProblem problem = UsageProblem::None;
    std::string text;  // what the problem is about
};

ParsedCommandLine ParseCommandOptions(int argc, const char* const* argv);
