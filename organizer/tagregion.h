#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "organizer/bytesource.h"
#include "organizer/tagedit.h"

// The region of a file that a tag rewrite replaces as a whole.
// - At the start: a FLAC file's marker and metadata blocks, an Ogg file's first two pages,
//   else the ID3v2 tag the file starts with (0 bytes for none). Nothing for a FLAC or Ogg file
//   whose first bytes are damaged.
// - At the end: from the start of its APE tag to the end of the file; nothing without one.
std::optional<std::size_t> TagRegionSize(const ByteSource& file, TagRegion region);

// The `length` bytes at the file's start or end; fewer where the file is shorter.
std::string TagRegionBytes(const ByteSource& file, TagRegion region, std::size_t length);
