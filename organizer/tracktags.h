#pragma once

#include <string>

// Where the bytes of a tag field come from. An 8-bit field holds the bytes as the tagger
// stored them, in a code page nobody recorded (GBK or Big5 in Chinese collections). A Unicode
// field was stored as UTF-16 or UTF-8 (or is a WMA attribute) and holds that text encoded as
// code page 936 in its GB18030 form, which can hold every character: its encoding is known.
enum class TextOrigin { EightBit, Unicode };

// The title, artist and album of one tag set of one file: code page 936 bytes, "" when absent,
// each with the origin of its bytes.
struct TrackTags {
    std::string title;
    std::string artist;
    std::string album;
    TextOrigin titleOrigin = TextOrigin::EightBit;
    TextOrigin artistOrigin = TextOrigin::EightBit;
    TextOrigin albumOrigin = TextOrigin::EightBit;

    friend bool operator==(const TrackTags&, const TrackTags&) = default;
};
