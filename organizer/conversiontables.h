#pragma once

#include <cstddef>
#include <span>
#include <string_view>

// The two Chinese conversion tables, found among the program's embedded resources at
// start-up. The application object owns the one instance for the life of the process; the
// tables point into the resource data in place and are never copied or parsed.
//
// BIGTOGB: 94 rows (Big5 lead 0xA1-0xFE) x 191 columns (trail 0x40-0xFE) of two-byte GB2312
// codes, lead byte first. GBTOBIG: 88 rows (GB2312 leads 0xA1-0xA9, 0xB0-0xFE) x 94 columns
// (trail 0xA1-0xFE) of two-byte Big5 codes.

class ConversionTables {
public:
    static constexpr std::size_t kBigToGbSize = 94 * 191 * 2;
    static constexpr std::size_t kGbToBigSize = 88 * 94 * 2;

    // Looks a resource up by name; an empty span when there is none.
    using ResourceFinder = std::span<const unsigned char> (*)(std::string_view name);

    // Finds "GBTOBIG", then "BIGTOGB". A table that is missing (or not of its size) is left
    // unloaded (its getter gives nullptr); the program tells the user.
    void Load(ResourceFinder find);

    // The Big5-to-GB2312 table, or nullptr when it could not be loaded.
    const unsigned char* GetBigToGbTable() const { return m_pBigToGb; }
    // The GB2312-to-Big5 table, or nullptr; loaded with the other, read by nothing else.
    const unsigned char* GetGbToBigTable() const { return m_pGbToBig; }

private:
    const unsigned char* m_pGbToBig = nullptr;
    const unsigned char* m_pBigToGb = nullptr;
};
