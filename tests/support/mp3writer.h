#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Writes MP3 files for tests byte by byte: an ID3v2 tag as asked, a few silent MPEG audio
// frames, an ID3v1 tag. No tag library takes part, so a test controls every byte a reader
// meets.
//
//     Mp3Fixture song{.id3v1 = Id3v1Tag{.title = "\xD0\xA1\xD3\xEA", .artist = "..."},
//                     .id3v2 = Id3v2Tag{.version = 4,
//                                       .frames = {{"TIT2", Utf8Text("小雨")}}}};
//     WriteMp3(folder / "track05.mp3", song);

// One ID3v2 frame: its id ("TIT2"; "TT2" in an ID3v2.2 tag) and its fields as they read when
// plain (for a text frame the encoding byte and the text, see the makers below).
struct Id3v2Frame {
    std::string id{};
    std::string fields{};
    // ID3v2.3 and 2.4: zlib-compressed, the inflated size written before the data.
    bool compressed = false;
    // ID3v2.4: this frame alone unsynchronised.
    bool unsynchronised = false;
};

struct Id3v2Tag {
    int version = 3;  // 2, 3 or 4
    std::vector<Id3v2Frame> frames{};
    std::size_t padding = 0;      // zero bytes after the frames
    bool unsynchronised = false;  // the whole tag (in ID3v2.4: every frame)
    bool extendedHeader = false;  // ID3v2.3 and 2.4
    bool footer = false;          // ID3v2.4: a copy of the header ("3DI") after the tag
};

// ID3v1 fields as stored: bytes in any code page, cut at 30, the rest filled with `fill`.
struct Id3v1Tag {
    std::string title{};
    std::string artist{};
    std::string album{};
    char fill = '\0';
};

struct Mp3Fixture {
    std::optional<Id3v1Tag> id3v1{};
    std::optional<Id3v2Tag> id3v2{};
    int audioFrames = 4;
    // The ID3v2 tag after the audio (and before the ID3v1 tag) instead of at the start.
    bool id3v2AtEnd = false;
};

// Text frame fields. Latin1Text (encoding 0) stores the bytes as they are, which is how GBK
// and Big5 titles are stored; Utf16Text (encoding 1) stores the text little-endian, or
// big-endian, after a byte order mark unless told to leave it out; Utf16BeText (encoding 2)
// big-endian without a mark; Utf8Text (encoding 3) the UTF-8 bytes.
std::string Latin1Text(std::string_view bytes);
std::string Utf16Text(std::u16string_view text, bool bigEndian = false, bool byteOrderMark = true);
std::string Utf16BeText(std::u16string_view text);
std::string Utf8Text(std::string_view utf8);

// An attached picture ("APIC", a JPEG front cover) of `imageSize` bytes of image data; the
// data holds 0xFF bytes, so unsynchronisation has work to do.
Id3v2Frame PictureFrame(std::size_t imageSize);

// The file's bytes: ID3v2 tag, audio frames, ID3v1 tag (or audio, ID3v2, ID3v1).
std::string RenderMp3(const Mp3Fixture& fixture);

// Writes the file at `path`, replacing any file there; false when it cannot be written.
bool WriteMp3(const std::string& path, const Mp3Fixture& fixture);
