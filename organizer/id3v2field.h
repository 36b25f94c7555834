#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "organizer/tracktags.h"

// The text of one ID3v2 text frame, from the frame's data as stored to code page 936.

// The text of a field and the origin of its bytes.
struct FieldText {
    std::string text;
    TextOrigin origin = TextOrigin::EightBit;
};

// A name is made of a few dozen bytes. The bound keeps a damaged frame from carrying megabytes
// into the names, and a small compressed frame from inflating without end.
inline constexpr std::size_t kMaxFieldSize = 64 * 1024;

// Appends `raw` to `out` with its unsynchronisation undone: every 0x00 after a 0xFF goes.
// `afterFF` says whether the byte before `raw` was a 0xFF; returns whether its last byte is.
bool AppendUndone(std::string_view raw, bool afterFF, std::string& out);

// The first text of a text frame whose data (after the frame header) is `data`, with the
// frame's format flags undone: unsynchronisation, compression (inflated to kMaxFieldSize at
// most, and to no more than `inflateAllowance`, which loses the bytes inflated), grouping and
// data length bytes. ISO-8859-1 text keeps its bytes (Chinese collections
// store GBK or Big5 that way); UTF-16, with or without a byte order mark, and UTF-8 are
// converted. Nothing for a frame that is encrypted, damaged, larger than kMaxFieldSize or of
// an unknown text encoding. `version` is the tag's (2, 3 or 4); `tagUnsynchronised` is the
// ID3v2.4 tag flag that unsynchronises every frame.
std::optional<FieldText> DecodeTextFrame(std::string_view data, unsigned flags, int version,
                                         bool tagUnsynchronised, std::size_t& inflateAllowance);
