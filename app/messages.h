#pragma once

#include <string>

#include "app/commandoptions.h"
#include "organizer/change.h"
#include "organizer/journal.h"
#include "organizer/runtally.h"
#include "organizer/takeback.h"

// What the command line says to its user, in simplified Chinese when the user's messages are
// Chinese (see platform/messagelanguage.h) and in English otherwise.
// Texts come without their line feed and without the program's name, so that the window and
// the terminal show the same words; a line of the terminal that stands alone is Line(text).
namespace messages {

// "sortune: " and the text: a line of the program's own on standard error.
std::string Line(const std::string& text);

std::string Help();
// The refused command line, and the line that points to the help.
std::string UsageError(const ParsedCommandLine& parsed);
std::string TryHelp();
// How to run the program after its language check refused the locale.
std::string LanguageHint();

// A PATH that could not be organized: `error` is the errno of the look at it.
std::string PathError(const std::string& path, int error);
std::string RootRefused(const std::string& path);
// A step the system refused, with the errno that says why.
std::string StepFailed(const Change& step, int error);
// How a run's steps came out; the hidden folders the walk passed over are told where any were.
std::string Summary(const RunTally& tally, int hiddenFolders);
// The line after a run that left audio files of the formats only the all-formats option takes.
std::string FormatsLeft(int count);
// The run was stopped by `signal` after `done` of the `total` files the walk found; a stop
// during the walk has a `total` of 0.
std::string Stopped(int signal, int done, int total);
// The progress line of a terminal: files done of all, and the folder being worked on.
std::string Progress(int done, int total);

// The journal of a run or undo could not be begun in `folder` (EWOULDBLOCK: another process
// holds the journals).
std::string JournalError(const std::string& folder, int error);
// The journal `path` of a run or undo that did its changes could not be written to its end.
std::string JournalIncomplete(const std::string& path, int error);
// A journal newer than the run to take back is damaged at `line`.
std::string JournalDamaged(const std::string& path, std::size_t line);
std::string NothingToTakeBack(bool redo);
// The line that says which run is taken back (or, for a redo, which undo).
std::string TakingBack(bool redo, const JournalHeader& target);
// A change that could not be taken back, and why.
std::string TakeBackFailed(const Change& original, const Outcome& outcome);
std::string SkipText(const Outcome& outcome);
std::string TakeBackSummary(const TakeBackReport& report);
std::string TakeBackStopped(int signal, bool redo);
// One journal for --history: time, kind, folder, counts of its changes and whether it was
// taken back, tab-separated.
std::string HistoryLine(const Journal& journal, bool takenBack);

}  // namespace messages
