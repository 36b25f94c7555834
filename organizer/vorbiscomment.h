#pragma once

#include <cstddef>
#include <string_view>

#include "organizer/tracktags.h"

// Reads the title, artist (else album artist) and album of a Vorbis comment: a vendor
// string, a count and that many "NAME=value" fields, each behind its little-endian 32-bit
// length. FLAC and Ogg Vorbis, Opus and FLAC store their tags so. Names are ASCII and compared
// ignoring case (TITLE, ARTIST, ALBUMARTIST or "ALBUM ARTIST", ALBUM); the first field of each
// counts. A comment cut short or damaged gives the fields before the damage.
TrackTags ReadVorbisComment(std::string_view comment);

// The bytes of a comment a reader takes at most: the fields stand first as a rule, a picture
// stored as a field (METADATA_BLOCK_PICTURE) after them.
inline constexpr std::size_t kMaxCommentBytes = 256 * 1024;
