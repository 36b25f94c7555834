#pragma once

#include <string>

#include "organizer/journal.h"

// One line of a journal as the writer appends it, for tests that build or expect journals.
inline std::string IntentLine(std::size_t number, const Change& change) {
    std::string line;
    AppendIntent(line, number, change);
    return line;
}

inline std::string MarkLine(std::size_t number, bool made) {
    std::string line;
    AppendMark(line, number, made);
    return line;
}
