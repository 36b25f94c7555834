#pragma once

#include <string>

#include "organizer/change.h"
#include "organizer/chineseconverter.h"
#include "organizer/tracktags.h"

// From the two tag sets of a file to its new name and its artist's folder, the one chain the
// run and its tests share: ChooseTitle; text whose code page is still unknown read as
// eightbitreading.h says, and simplified (Unicode text that is plainly widened GBK or Big5
// bytes, widenedtext.h, read as those bytes); StripTrackNumber on the title, CutArtist on the
// artist, RemoveIllegalChars on both; then the conversion from code page 936 to the file
// system's encoding (UTF-8).

struct TrackName {
    std::string title;   // the new file name without its extension; "" when there is none
    std::string artist;  // the name of the artist's folder; "" for none
    // Why there is no title: Reason::NoTitle when no tag gives one, NoUsableTitle when
    // nothing of it is left after cleaning.
    Reason reason = Reason::None;
};

TrackName NameTrack(const TrackTags& first, const TrackTags& second,
                    const ChineseConverter& converter);
