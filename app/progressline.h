#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "organizer/trackdiscovery.h"

// The progress of a run without a window, written to standard error. On a terminal it is one
// line that rewrites itself, at most ten times a second; anywhere else (a pipe, a log file)
// it is plain lines, at most one a second, so that a long run never floods a log. Lines that
// stay (the caption that starts or ends a pass, an error, the summary) are written at once;
// on a terminal the live line is taken off first.
class ProgressLine {
public:
    enum class Mode {
        Terminal,  // one live line, rewritten
        Lines,     // a line now and then
        Quiet,     // no progress; only what must be said
    };

    // `columns` is the width of the terminal (0 when unknown). The stream must outlive the
    // object.
    ProgressLine(std::ostream& out, Mode mode, int columns, TickSource tick);

    Mode GetMode() const { return mode_; }
    // The columns the live line may fill.
    int Width() const { return width_; }

    // The latest state of the run; shown unless the last showing was too recent.
    void Show(const std::string& text);
    // A line of progress that stays, unless it is the line written last or the mode is quiet.
    void Note(const std::string& text);
    // A line that stays in every mode: an error, the summary.
    void Print(const std::string& text);
    // Takes the live line off the terminal, so that other output starts on a clean line.
    void Clear();

private:
    void Write(const std::string& bytes);

    std::ostream& out_;
    Mode mode_;
    int width_;
    TickSource tick_;
    bool shownOnce_ = false;
    std::uint32_t lastShown_ = 0;
    bool live_ = false;     // a live line is on the terminal
    std::string lastLine_;  // the line written last in Lines mode
};

// The columns `text` (UTF-8) takes on a terminal: two for East Asian wide characters, one
// for the others.
int DisplayWidth(const std::string& text);
// `text` cut at the end to at most `width` columns.
std::string FitWidth(const std::string& text, int width);
// `text` with its beginning replaced by "…" so that it takes at most `width` columns; a path
// so keeps the names nearest its end.
std::string ShortenFromLeft(const std::string& text, int width);
