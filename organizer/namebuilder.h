#pragma once

#include <string>
#include <string_view>

#include "organizer/chineseconverter.h"
#include "organizer/tracktags.h"

// Picks the title and artist of a file from its tag sets and cleans them for use as file and
// folder names. All text is code page 936; every search is character-aware, so the trail
// byte of a double-byte character never matches a single-byte character of a set.

// The chosen title and artist with the origins of their bytes. Unicode text comes back
// simplified; 8-bit text converted when it converted to pure GB2312, else as it was stored.
struct TitleAndArtist {
    std::string title;
    std::string artist;
    TextOrigin titleOrigin = TextOrigin::EightBit;
    TextOrigin artistOrigin = TextOrigin::EightBit;
};

// The title and artist of the first tag set whose title is usable: `first` is the ID3v1 (or
// WMA) set, `second` the ID3v2 set. An 8-bit title is usable when it is, or converts from
// Big5 to, pure GB2312, which is how the code page of Chinese text is told; a Unicode title,
// whose encoding is known, when it is not empty: it is never put through the Big5 guess, only
// simplified. An 8-bit first title gives way to a usable second one that continues it where
// it fills the 30 bytes of ID3v1, and to a Unicode second title (not widened bytes, see
// widenedtext.h) that reads otherwise where the first holds non-ASCII bytes; the second set's
// artist is then taken, or the first's where the second has none. When neither set works,
// the raw title of the first set (of the second when the first has none; maybe "") and the
// artist of that set unconverted.
TitleAndArtist ChooseTitle(const TrackTags& first, const TrackTags& second,
                           const ChineseConverter& converter);

// Cuts a leading track number ("01.", "01-", "01_", "01 ") from a title. Nothing is trimmed.
std::string StripTrackNumber(const std::string& title);

// Keeps the part of an artist before its first "-" (or else "_"), or the part after it when
// the part before holds a web word ("com", "net", "http"); then trims white space.
std::string CutArtist(const std::string& artist);

// Deletes the characters a file name cannot hold (\ / : * ? " < >) and the control characters
// (0x01-0x1F, 0x7F), which no one can see or type in a name, then trims white space. Leading
// dots go too, with the white space after them: a name that starts with a dot is hidden.
void RemoveIllegalChars(std::string& text);

// The position of the first occurrence in `text` of the first character of `set` (tried in
// the set's order) that occurs at all; -1 when none does.
int FindFirstOfInOrder(std::string_view text, std::string_view set);

// 1 when every byte is an ASCII digit, which holds for ""; else 0.
int IsAllDigits(std::string_view text);
