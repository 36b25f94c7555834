#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "organizer/formatfields.h"
#include "organizer/tracktags.h"

// Reads the title, artist (else album artist) and album of a Vorbis comment: a vendor
// string, a count and that many "NAME=value" fields, each behind its little-endian 32-bit
// length. FLAC and Ogg Vorbis, Opus and FLAC store their tags so. Names are ASCII and compared
// ignoring case (TITLE, ARTIST, ALBUMARTIST or "ALBUM ARTIST", ALBUM); the first field of each
// counts. A comment cut short or damaged gives the fields before the damage.
TrackTags ReadVorbisComment(std::string_view comment);

// One "NAME=value" field of a comment, and where it stands: from its length on, `size` bytes.
struct VorbisField {
    std::size_t offset = 0;
    std::size_t size = 0;
    std::string_view name;
    std::string_view value;
};

// The fields of a comment that hold a '=', in order, and whether the comment holds every
// field its count gives.
struct VorbisFields {
    std::vector<VorbisField> fields;
    bool whole = false;
};
VorbisFields ReadVorbisFields(std::string_view comment);

// The role a field's name gives it, as ReadVorbisComment reads it.
std::optional<FieldRole> VorbisRole(std::string_view name);

// The bytes of a comment a reader takes at most: the fields stand first as a rule, a picture
// stored as a field (METADATA_BLOCK_PICTURE) after them.
inline constexpr std::size_t kMaxCommentBytes = 256 * 1024;
