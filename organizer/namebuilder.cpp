#include "organizer/namebuilder.h"

#include <array>

#include "platform/ansistring.h"
#include "platform/codepage.h"

namespace {

constexpr std::string_view kTrackNumberSeparators = ".-_ ";
constexpr std::string_view kArtistSeparators = "-_";
constexpr std::array<std::string_view, 3> kWebWords = {"com", "net", "http"};
constexpr std::string_view kIllegalChars = "\\/:*?\"<>";

// The converted text when it is pure GB2312, else the text as it stands.
std::string ConvertedOrRaw(const std::string& text, const ChineseConverter& converter) {
    std::string converted = converter.ConvertIfBig5(text);
    return ChineseConverter::IsPureGb2312(converted) == 1 ? converted : text;
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
    std::string artist;
    if (!first.title.empty()) {
        std::string title = converter.ConvertIfBig5(first.title);
        if (ChineseConverter::IsPureGb2312(title) == 1) {
            return {std::move(title), ConvertedOrRaw(first.artist, converter)};
        }
        artist = first.artist;
    }
    if (!second.title.empty()) {
        std::string title = converter.ConvertIfBig5(second.title);
        if (ChineseConverter::IsPureGb2312(title) == 1) {
            return {std::move(title), ConvertedOrRaw(second.artist, converter)};
        }
    }
    return {first.title, std::move(artist)};
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
    Trim(text);
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
