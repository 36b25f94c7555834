#include "organizer/trackname.h"

#include "organizer/eightbitreading.h"
#include "organizer/namebuilder.h"
#include "organizer/widenedtext.h"
#include "platform/codepage.h"

namespace {

// The chosen text as characters the cleaning can trust, every byte part of a character:
// Unicode text is so already; pure GB2312 loses the bytes 0x80 and 0xFF, which no character
// of GB18030 is made of alone; 8-bit text that converted to nothing clean is read as the
// first code page that fits, and simplified.
std::string Readable(const std::string& text, TextOrigin origin,
                     const ChineseConverter& converter) {
    if (origin == TextOrigin::Unicode) {
        return text;
    }
    if (ChineseConverter::IsPureGb2312(text) == 1) {
        std::string kept = text;
        std::erase_if(kept, [](char ch) { return ch == '\x80' || ch == '\xFF'; });
        return kept;
    }
    return converter.SimplifyTraditional(ReadEightBitText(text));
}

// Tag text (code page 936) as a name in the file system's encoding. Cleaned text holds no
// '/'; should one appear all the same, it would put the name into another folder, so it goes.
std::string ToFileName(const std::string& text) {
    std::string name = codepage::Cp936ToUtf8(text);
    std::erase(name, '/');
    return name;
}

// Unicode text that is plainly GBK or Big5 bytes widened is read as those bytes, as the tag
// repair reads it: the name and the repaired tag then agree.
TrackTags Narrowed(TrackTags tags, const ChineseConverter& converter) {
    for (auto [text, origin] : {std::pair{&tags.title, &tags.titleOrigin},
                                {&tags.artist, &tags.artistOrigin},
                                {&tags.album, &tags.albumOrigin}}) {
        if (*origin != TextOrigin::Unicode) {
            continue;
        }
        if (std::optional<std::string> bytes = WidenedChineseBytes(*text, converter)) {
            *text = std::move(*bytes);
            *origin = TextOrigin::EightBit;
        }
    }
    return tags;
}

}  // namespace

TrackName NameTrack(const TrackTags& first, const TrackTags& second,
                    const ChineseConverter& converter) {
    const TitleAndArtist chosen =
        ChooseTitle(Narrowed(first, converter), Narrowed(second, converter), converter);
    if (chosen.title.empty()) {
        return {"", "", Reason::NoTitle};
    }
    std::string title = StripTrackNumber(Readable(chosen.title, chosen.titleOrigin, converter));
    std::string artist = CutArtist(Readable(chosen.artist, chosen.artistOrigin, converter));
    RemoveIllegalChars(title);
    RemoveIllegalChars(artist);
    TrackName name{ToFileName(title), ToFileName(artist), Reason::None};
    if (name.title.empty()) {
        name.reason = Reason::NoUsableTitle;
    }
    return name;
}
