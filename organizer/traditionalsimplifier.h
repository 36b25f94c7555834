#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

// Simplifies text whose encoding is known (decoded from Unicode, or 8-bit text read as one
// code page) exactly as the Big5 conversion simplifies Big5 text: a character that has a Big5
// code whose BIGTOGB entry is a GB2312 character becomes that character (國 becomes 国, 說
// becomes 说); every other character stays as it is. So a title gives one name whichever
// encoding its tag used.
class TraditionalSimplifier {
public:
    // Reads every Big5 character's entry of `bigToGb` (the BIGTOGB layout) once; without a
    // table nothing is simplified.
    explicit TraditionalSimplifier(const unsigned char* bigToGb);

    // `text` is code page 936 in its GB18030 form, which can hold every character; so is the
    // result. A character cut short at the end (a cut by bytes) is left out.
    std::string Simplify(std::string_view text) const;

private:
    // GB18030 bytes of a character, packed big-endian into a number, to GB2312 code.
    std::unordered_map<std::uint32_t, std::uint16_t> simplified_;
};
