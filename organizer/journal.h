#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "organizer/change.h"

// The record of one run: what it changed on disk, change by change, so that the run can be
// taken back. A change is written down before it is made and marked after it; a change
// without its mark (the process was killed between the two) may or may not have been made.
//
// The text of a journal, one field a tab, paths escaped as EscapePath writes them:
//
//   sortune journal 1
//   kind      run | undo | redo
//   started   2026-12-07 16:10:25 +0800
//   folder    /music
//   resolved  /data/music                                (where the folder led; may be absent)
//   options   recursive by-artist
//   version   0.1.0
//   pid       4242
//   takes-back 20261207T161025.123456-4242.journal      (an undo or a redo only)
//   changes
//   1  rename DEVICE INODE BIRTH SIZE MODIFIED OLD NEW   (older versions: no SIZE MODIFIED)
//   1  done                       (or "kept": nothing was changed; once, after its change)
//   2  link LINK TARGET [REPLACED]
//   3  delete LINK TARGET
//   4  mkdir FOLDER
//   5  rmdir FOLDER
//   6  retag SOURCELENGTH SOURCECRC RESULTLENGTH RESULTCRC REMOVED INSERTED FILE
//                             (a tag rewrite: the edit of the file's first bytes, tagedit.h;
//                             spans as OFFSET:HEX joined by ",", or "-" for none)
//   end
//
// Only whole lines count: a line cut short by a crash is no line.

enum class ChangeState { Intended, Done, Kept };

// One change as its journal holds it: the change, and whether it was made.
struct JournalEntry {
    Change change;
    ChangeState state = ChangeState::Intended;
};

enum class JournalKind { Run, Undo, Redo };

struct JournalHeader {
    JournalKind kind = JournalKind::Run;
    std::string started;    // local time as a person reads it
    std::string folder;     // the run's folder; for an undo or redo, that of the journal taken back
    std::string resolved;   // where `folder` led when the run began, links resolved ("" before)
    std::string options;    // the options of the run, as words
    std::string version;    // of the program that wrote it
    long pid = 0;           // of the process that wrote it
    std::string takesBack;  // an undo or redo: the name of the journal it takes back
};

struct Journal {
    std::string name;  // the file's name in the journal folder
    JournalHeader header;
    std::vector<JournalEntry> changes;  // in the order they were made
    bool complete = false;              // its end was written
    std::size_t damagedLine = 0;        // the first whole line that is not what the program writes
                                        // (0: none); a damaged journal is never taken back
};

std::string FormatHeader(const JournalHeader& header);
// Appends the line of change `number` (from 1), written before the change is made. A Keep
// has no line: it changes nothing.
void AppendIntent(std::string& out, std::size_t number, const Change& change);
// Appends the line that marks change `number` made or not.
void AppendMark(std::string& out, std::size_t number, bool made);
std::string FormatEnd();

// Reads a journal's text into `journal` (all but its name). False when the text is no journal
// (it lacks the first line or its header). A whole line that the program does not write
// there (an unknown line, a change out of order, a second mark, anything after the end) stops
// the reading and sets `damagedLine`: what a journal tells is taken whole or not at all. Only
// a last line cut short (a crash while writing it) is left out.
bool ParseJournal(std::string_view text, Journal& journal);

// True when the journal holds a change that was made, or may have been (its mark never went
// out): one that is all "kept" has nothing to take back.
bool ChangedAnything(const Journal& journal);

// The name of a journal's kind, "run", "undo" or "redo".
const char* KindName(JournalKind kind);
