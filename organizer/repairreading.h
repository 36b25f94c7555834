#pragma once

#include <optional>
#include <string>

#include "organizer/chineseconverter.h"
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
