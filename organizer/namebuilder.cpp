#include "organizer/namebuilder.h"

#include <array>
#include <optional>

#include "platform/ansistring.h"
#include "platform/codepage.h"

namespace {

constexpr std::string_view kTrackNumberSeparators = ".-_ ";
constexpr std::string_view kArtistSeparators = "-_";
constexpr std::array<std::string_view, 3> kWebWords = {"com", "net", "http"};
constexpr std::string_view kIllegalChars = "\\/:*?\"<>";

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
    if (std::optional<TitleAndArtist> chosen = UsableSet(first, converter)) {
        return std::move(*chosen);
    }
    TitleAndArtist raw{first.title, "", first.titleOrigin, TextOrigin::EightBit};
    if (!first.title.empty()) {
        raw.artist = Unconverted(first.artist, first.artistOrigin, converter);
        raw.artistOrigin = first.artistOrigin;
    }
    if (std::optional<TitleAndArtist> chosen = UsableSet(second, converter)) {
        return std::move(*chosen);
    }
    return raw;
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
