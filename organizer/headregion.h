#pragma once

#include <cstddef>
#include <optional>

#include "organizer/bytesource.h"

// The region at the start of a file that a tag rewrite replaces as a whole: a FLAC file's
// marker and metadata blocks, else the ID3v2 tag the file starts with (0 bytes for none).
// Nothing for a FLAC file whose metadata is damaged: no rewrite fits it.
std::optional<std::size_t> HeadRegionSize(const ByteSource& file);
