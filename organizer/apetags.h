#pragma once

#include <optional>
#include <string_view>

#include "organizer/bytesource.h"
#include "organizer/formatfields.h"
#include "organizer/tracktags.h"

// Reads the items Title, Artist (else "Album Artist") and Album of the APE tag at the end of a
// file (Monkey's Audio and WavPack files carry one): its footer stands last, or before an
// ID3v1 tag. Item keys are compared ignoring case; only text items count. Items are walked by
// their headers, so a cover stored before the title is skipped, not read. A file without the
// footer, or a tag damaged before an item, gives the fields before the damage.
TrackTags ReadApeTag(const ByteSource& file);

// The role an item's key gives it, as ReadApeTag reads it.
std::optional<FieldRole> ApeRole(std::string_view key);

// The last bytes of a file that hold most APE tags whole, with an ID3v1 tag after them.
inline constexpr std::size_t kApeTailSize = 8192;
