#pragma once

#include <string>
#include <string_view>

// The kinds of audio file a run handles, told by the extension of the name, case ignored. MP3
// and WMA files are always taken; the others only with the all-formats option.
enum class AudioFormat { None, Mp3, Wma, Flac, Ogg, Mp4, Ape, WavPack };

// True when the path is longer than `suffix` (lower case) and ends with it, ignoring the case
// of A-Z.
bool HasSuffixIgnoringCase(std::string_view path, std::string_view suffix);

// The format of a file by its name: .mp3, .wma, .flac, .ogg/.oga/.opus (Ogg Vorbis, Opus or
// FLAC), .m4a/.mp4, .ape, .wv; None for any other name.
AudioFormat FormatOfPath(std::string_view path);

// True for the formats taken only with the all-formats option.
bool NeedsAllFormats(AudioFormat format);

// The extension a file's new name ends with: its own, in lower case (".FLAC" gives ".flac", as
// ".MP3" gives ".mp3"); "" for a name of no audio format.
std::string NameExtension(std::string_view path);
