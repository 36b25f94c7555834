#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "organizer/conversiontables.h"
#include "organizer/traditionalsimplifier.h"

// Tells clean GB2312 text from Big5 text and converts Big5 pairwise to GB2312, turning
// traditional characters into their simplified forms (國 becomes 国). Text is 8-bit code
// page 936; like the C strings it comes from, it ends at its first NUL byte.

class ChineseConverter {
public:
    // The converter reads the Big5-to-GB2312 table from `tables` at every conversion; the
    // tables must outlive it.
    explicit ChineseConverter(const ConversionTables& tables) : m_tables(tables) {}

    // 0 when the system's default language is Simplified Chinese (0x0804), else -1.
    static int IsSystemGb2312();

    // 1 when every double-byte character of `text` lies in the GB2312 hanzi block (lead
    // 0xB0-0xF7, trail 0xA1-0xFE), which holds for plain ASCII and ""; else 0. A lead byte
    // at the end is a double-byte character that is not hanzi.
    static int IsPureGb2312(std::string_view text);

    // Converts every pair of a byte from 0xA1 up and a byte from 0x40 up through BIGTOGB,
    // without a lead-byte test, and copies all other bytes; the result has the same length.
    // A pair with a 0xFF byte has no table entry and is copied. Without a loaded table the
    // text is returned unchanged.
    std::string Big5ToGb2312(std::string_view text) const;

    // The text itself when it is pure GB2312, else its Big5 conversion.
    std::string ConvertIfBig5(std::string_view text) const;

    // Simplifies text whose encoding is known (code page 936 in its GB18030 form) as the Big5
    // conversion would: see TraditionalSimplifier. Never a guess; every other character stays.
    std::string SimplifyTraditional(std::string_view text) const;

private:
    const ConversionTables& m_tables;
    // Made from the table at the first use, when the application has loaded it.
    mutable std::once_flag m_simplifierMade;
    mutable std::unique_ptr<TraditionalSimplifier> m_pSimplifier;
};
