#include "organizer/audioformat.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/ascii.h"

namespace {

constexpr std::array<std::pair<std::string_view, AudioFormat>, 10> kExtensions{{
    {".mp3", AudioFormat::Mp3},
    {".wma", AudioFormat::Wma},
    {".flac", AudioFormat::Flac},
    {".ogg", AudioFormat::Ogg},
    {".oga", AudioFormat::Ogg},
    {".opus", AudioFormat::Ogg},
    {".m4a", AudioFormat::Mp4},
    {".mp4", AudioFormat::Mp4},
    {".ape", AudioFormat::Ape},
    {".wv", AudioFormat::WavPack},
}};

const std::pair<std::string_view, AudioFormat>* EntryOf(std::string_view path) {
    const auto* entry = std::find_if(kExtensions.begin(), kExtensions.end(), [&](const auto& e) {
        return HasSuffixIgnoringCase(path, e.first);
    });
    return entry == kExtensions.end() ? nullptr : entry;
}

}  // namespace

bool HasSuffixIgnoringCase(std::string_view path, std::string_view suffix) {
    // Paths are UTF-8, where a plain byte comparison is character-aware.
    return path.size() > suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), path.end() - suffix.size(),
                      [](char a, char b) { return a == AsciiLower(b); });
}

AudioFormat FormatOfPath(std::string_view path) {
    const auto* entry = EntryOf(path);
    return entry == nullptr ? AudioFormat::None : entry->second;
}

bool NeedsAllFormats(AudioFormat format) {
    return format != AudioFormat::None && format != AudioFormat::Mp3 && format != AudioFormat::Wma;
}

std::string NameExtension(std::string_view path) {
    const auto* entry = EntryOf(path);
    return entry == nullptr ? std::string() : std::string(entry->first);
}
