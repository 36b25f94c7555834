#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The part of an ID3v2 tag that file names are made of. A tag can be megabytes of pictures,
// frames may be compressed or unsynchronised, and damaged tags are common, so the tag is first
// cut down here to a few plain text frames before TagLib decodes their text.

// The frame ids kept, in ID3v2.3 form.
inline constexpr std::string_view kTitleFrame = "TIT2";
inline constexpr std::string_view kLeadArtistFrame = "TPE1";
inline constexpr std::string_view kBandFrame = "TPE2";
inline constexpr std::string_view kConductorFrame = "TPE3";
inline constexpr std::string_view kComposerFrame = "TCOM";
inline constexpr std::string_view kAlbumFrame = "TALB";

// The size of the ID3v2 header.
inline constexpr std::size_t kId3v2HeaderSize = 10;

// The number of bytes from the start of `header` to the end of the tag's frames and padding
// (header included, footer left out), or 0 when `header` does not start with a valid ID3v2.2,
// 2.3 or 2.4 header.
std::size_t Id3v2TagSize(std::string_view header);

struct Id3v2TextFrames {
    // An ID3v2.4 tag that holds only the first frame of each id above, "" when there is none.
    std::string tag;
    // True when the title, the lead artist and the album were all found: no later frame can
    // change any field of the tags read (TrackTags), so the rest of the tag need not be read.
    bool complete = false;
};

// Rewrites the ID3v2 tag that `tag` starts with (it may be cut short) with only the frames
// above, each plain: unsynchronisation undone, a compressed frame inflated, grouping and length
// bytes dropped; ID3v2.2 ids are renamed, and UTF-16 text without a byte order mark gets one.
// Frames that are encrypted, damaged, of an unknown text encoding or larger than any title
// (64 KB, also after inflating) are left out.
Id3v2TextFrames ExtractTextFrames(std::string_view tag);
