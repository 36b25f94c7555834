#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "organizer/chineseconverter.h"
#include "organizer/formatfields.h"
#include "organizer/id3v2field.h"

// The reading a tag repair writes back for one field, where it is certain: 8-bit text that
// reads as clean GBK or Big5, or Unicode text that is plainly such bytes widened
// (widenedtext.h), traditional characters simplified as in the file's name.
struct RepairReading {
    std::string shown;     // UTF-8: what a player shows today, the bytes taken for Latin-1
    std::string repaired;  // code page 936
};

// Nothing for a field that is right already or whose reading is uncertain.
std::optional<RepairReading> RepairReadingOf(const FieldText& field,
                                             const ChineseConverter& converter);

// A field of a tag whose format is Unicode by definition (a Vorbis comment, an APE tag) that a
// repair may rewrite: its role and value, and its place among the tag's fields.
struct RepairCandidate {
    FieldRole role;
    std::string_view value;
    std::size_t index;
};

// A field to rewrite: its place, its name in the step lines ("title", "artist", "band",
// "album"), what a player shows and the new text, UTF-8.
struct RepairedField {
    std::size_t index;
    const char* name;
    std::string shown;
    std::string repaired;
};

// Of the candidates, in the tag's order, the first of each role, each read as the naming chain
// reads it (FormatFieldText, the tag's raw bytes elsewhere counted), where the reading is
// certain. Values holding more than one (NUL-separated) are no name's text and are left.
std::vector<RepairedField> RepairTagFields(const std::vector<RepairCandidate>& candidates,
                                           const ChineseConverter& converter);
