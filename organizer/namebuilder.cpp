#include "organizer/namebuilder.h"

#include <algorithm>
#include <array>
#include <optional>

#include "organizer/widenedtext.h"
#include "platform/ansistring.h"
#include "platform/ascii.h"
#include "platform/codepage.h"

namespace {

constexpr std::string_view kTrackNumberSeparators = ".-_ ";
constexpr std::string_view kArtistSeparators = "-_";
constexpr std::array<std::string_view, 3> kWebWords = {"com", "net", "http"};
constexpr std::string_view kIllegalChars = "\\/:*?\"<>";
// The bytes of an ID3v1 title; a longer title was cut to them.
constexpr std::size_t kId3v1TitleSize = 30;

// The converted text when it is pure GB2312, else the text as it stands. Unicode text is
// only simplified.
std::string ConvertedOrRaw(const std::string& text, TextOrigin origin,
                           const ChineseConverter& converter) {
    if (origin == TextOrigin::Unicode) {
        return converter.SimplifyTraditional(text);
    }
    std::string converted = converter.ConvertIfBig5(text);
    return ChineseConverter::IsPureGb2312(converted) == 1 ? converted : text;
}

// 8-bit text as it stands; Unicode text simplified, which takes no guess.
std::string Unconverted(const std::string& text, TextOrigin origin,
                        const ChineseConverter& converter) {
    return origin == TextOrigin::Unicode ? converter.SimplifyTraditional(text) : text;
}

// The set's title and artist when its title is usable.
std::optional<TitleAndArtist> UsableSet(const TrackTags& tags, const ChineseConverter& converter) {
    if (tags.title.empty()) {
        return std::nullopt;
    }
    std::string title = tags.titleOrigin == TextOrigin::Unicode
                            ? converter.SimplifyTraditional(tags.title)
                            : converter.ConvertIfBig5(tags.title);
    if (tags.titleOrigin == TextOrigin::EightBit && ChineseConverter::IsPureGb2312(title) != 1) {
        return std::nullopt;
    }
    return TitleAndArtist{std::move(title),
                          ConvertedOrRaw(tags.artist, tags.artistOrigin, converter),
                          tags.titleOrigin, tags.artistOrigin};
}

std::string WithoutTrailingSpace(std::string text) {
    ansi::TrimRight(text);
    return text;
}

// Whether the second set's usable title wins over the first set's. Only an 8-bit first title
// gives way: to a title that continues it where it is an ID3v1 title cut at its 30 bytes; and
// to a true Unicode title that reads otherwise, where the first holds bytes beyond ASCII: legacy
// bytes of another language (EUC-KR, Shift-JIS, UTF-8) pass the GB2312 test by chance.
bool SecondOverridesFirst(const TrackTags& first, const TitleAndArtist& fromFirst,
                          const TrackTags& second, const TitleAndArtist& fromSecond,
                          const ChineseConverter& converter) {
    if (first.titleOrigin != TextOrigin::EightBit) {
        return false;
    }
    if (first.title.size() == kId3v1TitleSize && fromSecond.title.size() > fromFirst.title.size() &&
        fromSecond.title.starts_with(fromFirst.title)) {
        return true;
    }
    return HasNonAscii(first.title) && second.titleOrigin == TextOrigin::Unicode &&
           !WidenedChineseBytes(second.title, converter) &&
           WithoutTrailingSpace(fromSecond.title) != fromFirst.title;
}

bool IsControlChar(char ch) {
    return (ch >= '\x01' && ch <= '\x1F') || ch == '\x7F';
}

// A control character is never part of a double-byte character, whose second byte is 0x30
// or more; so removing the bytes removes exactly the characters, and leaves none whatever the
// text.
void RemoveControlChars(std::string& text) {
    std::erase_if(text, IsControlChar);
}

bool HasWebWord(std::string_view text) {
    for (const std::string_view word : kWebWords) {
        if (ansi::Find(text, word) != -1) {
            return true;
        }
    }
    return false;
}

void Trim(std::string& text) {
    ansi::TrimLeft(text);
    ansi::TrimRight(text);
}

}  // namespace

TitleAndArtist ChooseTitle(const TrackTags& first, const TrackTags& second,
                           const ChineseConverter& converter) {
    std::optional<TitleAndArtist> fromFirst = UsableSet(first, converter);
    std::optional<TitleAndArtist> fromSecond = UsableSet(second, converter);
    if (fromFirst && fromSecond &&
        SecondOverridesFirst(first, *fromFirst, second, *fromSecond, converter)) {
        if (fromSecond->artist.empty()) {
            fromSecond->artist = std::move(fromFirst->artist);
            fromSecond->artistOrigin = fromFirst->artistOrigin;
        }
        return std::move(*fromSecond);
    }
    if (fromFirst) {
        return std::move(*fromFirst);
    }
    if (fromSecond) {
        return std::move(*fromSecond);
    }
    // The raw title for the last-resort reading: the first set's, or the second's when the
    // first has none, so that a Latin title in an ID3v2 frame still names its file.
    const TrackTags& raw = first.title.empty() ? second : first;
    if (raw.title.empty()) {
        return {};
    }
    return {raw.title, Unconverted(raw.artist, raw.artistOrigin, converter), raw.titleOrigin,
            raw.artistOrigin};
}

std::string StripTrackNumber(const std::string& title) {
    if (title.empty()) {
        return {};
    }
    const int i = FindFirstOfInOrder(title, kTrackNumberSeparators);
    // With no separator the part before is "" (all digits) and the part after is everything.
    if (IsAllDigits(ansi::Left(title, i)) == 1) {
        return ansi::Mid(title, i + 1);
    }
    return title;
}

std::string CutArtist(const std::string& artist) {
    if (artist.empty()) {
        return {};
    }
    std::string result = artist;
    const int i = FindFirstOfInOrder(artist, kArtistSeparators);
    if (i != -1) {
        std::string left = ansi::Left(artist, i);
        result = HasWebWord(left) ? ansi::Mid(artist, i + 1) : std::move(left);
    }
    Trim(result);
    return result;
}

void RemoveIllegalChars(std::string& text) {
    for (const char ch : kIllegalChars) {
        ansi::Replace(text, std::string_view(&ch, 1), "");
    }
    RemoveControlChars(text);
    Trim(text);
    while (text.starts_with('.')) {
        text.erase(0, 1);
        ansi::TrimLeft(text);
    }
}

int FindFirstOfInOrder(std::string_view text, std::string_view set) {
    for (std::size_t pos = 0; pos < set.size(); pos += codepage::CharLength(set, pos)) {
        const int found = ansi::Find(text, set.substr(pos, codepage::CharLength(set, pos)));
        if (found != -1) {
            return found;
        }
    }
    return -1;
}

int IsAllDigits(std::string_view text) {
    for (const char ch : text) {
        if (ch < '0' || ch > '9') {
            return 0;
        }
    }
    return 1;
}
