#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// Tagged audio files of the formats beyond MP3 and WMA, for tests: copies of the samples of
// tests/data/formats with title and artist written by TagLib, and APE tags written byte by
// byte where a test needs bytes TagLib would not store.

enum class Sample { Flac, OggVorbis, Opus, OggFlac, M4a, Mp4Video, WavPack };

// How the text reaches the tag: as UTF-8 (what the formats store), or widened: each byte of
// the text taken for a Latin-1 character, as old Windows tools stored GBK bytes.
enum class Stored { Utf8, Widened };

// Copies the sample to `path` (replacing any file there) and sets its title and artist (an
// empty text leaves the field out). Returns false when the sample is missing or TagLib cannot
// write the file.
bool WriteSample(const std::string& path, Sample sample, const std::string& title,
                 const std::string& artist, Stored stored = Stored::Utf8);

// The bytes of the sample file `name` of tests/data/formats ("gbk.ogg"); "" when it is missing.
std::string SampleBytes(const std::string& name);

// The bytes of an APEv2 tag (a header where asked for, the items, then the footer) holding
// text items of any bytes.
std::string ApeTagBytes(const std::vector<std::pair<std::string, std::string>>& items,
                        bool withHeader = false);

// A FLAC file of the FLAC sample's stream info and audio, with a Vorbis comment of fields of
// any bytes ("NAME=value"), then a picture block of `pictureSize` bytes where that is not 0,
// and padding of `padding` bytes last where that is not 0.
std::string FlacBytes(const std::vector<std::string>& fields, std::size_t padding,
                      std::size_t pictureSize = 0);

// A Monkey's Audio file: a "MAC " header and a few bytes standing for the audio, then `tail`
// (an APE tag, an ID3v1 tag: RenderMp3 of mp3writer.h writes one alone without audio frames).
std::string MonkeysAudioBytes(const std::string& tail);
