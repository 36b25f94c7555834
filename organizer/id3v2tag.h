#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "organizer/bytesource.h"
#include "organizer/id3v2field.h"
#include "organizer/tracktags.h"

// Reads the fields file names are made of from an ID3v2 tag (2.2, 2.3 or 2.4).
//
// This reader owns ID3v2 from the tag header to the decoded text: it walks the frames by their
// headers straight from the file and reads only the frames it wants, so that a tag of many
// megabytes of pictures costs a few small reads wherever its title stands. A tag library
// parses a tag held whole in memory, which would mean reading every picture, and hands back
// Unicode where the names need the stored bytes of ISO-8859-1 text; so no library takes part.
//
// The title is the frame TIT2, the album TALB, the artist the first present frame of TPE1
// (lead performer), TPE2 (band), TPE3 (conductor) and TCOM (composer); the ID3v2.2 ids TT2,
// TAL, TP1, TP2, TP3 and TCM stand for them, also where taggers wrote them into ID3v2.3 tags.
// The first frame of each id counts. Damaged tags are common: after a frame header whose id is
// not valid, the walk goes on at the next valid frame header inside the tag (where the bad
// header's size points, else the first found after it); any other header that is not valid,
// or a frame that reaches past the tag, ends the walk; a frame whose text cannot be read is
// left out. Nothing is read beyond the tag.
//
// A tag is a few dozen frames, its text a few hundred bytes. What a tag can make the reader do
// is bounded well above that, so that no file, however made, takes long or much memory to
// read: tens of milliseconds and a few hundred KB at most (bench/hostiletags_bench). The walk
// ends at a bound as at a damaged frame; what was read by then counts.

// Frames whose header is looked at: chapters or lyrics may give a tag a few hundred.
inline constexpr std::size_t kMaxFramesWalked = 1024;
// Wanted frames whose data is read and decoded (twice kMaxFieldSize at most each): the six
// fields, with room for tries after damaged frames.
inline constexpr std::size_t kMaxFramesDecoded = 32;
// Bytes inflated from compressed frames in all, kept or not: four fields of the most a frame
// inflates to (kMaxFieldSize). A compressed frame that would take the tag beyond it is left
// out.
inline constexpr std::size_t kMaxInflatedBytes = 256 * 1024;
// Positions tried in all by the searches for a valid frame header after invalid ids.
inline constexpr std::size_t kMaxFrameSearchBytes = 64 * 1024;
// A tag unsynchronised as a whole is undone up to kMaxUnsynchronisedBytes (tagbody.h).

// The size of the ID3v2 header (and of the ID3v2.4 footer).
inline constexpr std::size_t kId3v2HeaderSize = 10;

// The number of bytes from the start of `header` to the end of the tag's frames and padding
// (header included, footer left out), or 0 when `header` does not start with a valid ID3v2.2,
// 2.3 or 2.4 header.
std::size_t Id3v2TagSize(std::string_view header);

// Where the ID3v2.4 tag appended to the file starts, found through its footer ("3DI") at the
// very end of the file or just before an ID3v1 tag; nothing when there is none.
std::optional<std::size_t> FindAppendedId3v2Tag(const ByteSource& file);

// The title, artist and album of the tag that starts at `start` of `file`; empty fields for
// whatever is missing, and all empty when no valid tag starts there.
TrackTags ReadId3v2Tag(const ByteSource& file, std::size_t start);

// The text frames a tag rewrite replaces, of the tag the file starts with: the first frame of
// each id, where it stands in the tag (header included) and its text (nothing where the text
// cannot be read).
struct Id3v2TextFrame {
    std::size_t offset = 0;  // from the start of the tag
    std::size_t size = 0;    // header included
    std::optional<FieldText> text;
};

struct Id3v2TextFrames {
    int version = 0;
    unsigned flags = 0;                        // of the tag header
    std::size_t tagSize = 0;                   // Id3v2TagSize
    std::optional<Id3v2TextFrame> title;       // TIT2
    std::optional<Id3v2TextFrame> leadArtist;  // TPE1
    std::optional<Id3v2TextFrame> band;        // TPE2
    std::optional<Id3v2TextFrame> album;       // TALB
};

// The text frames of the tag `file` starts with, walked to the end of the tag as the reader
// walks it; nothing when the file starts with no tag that can be read.
std::optional<Id3v2TextFrames> ReadId3v2TextFrames(const ByteSource& file);
