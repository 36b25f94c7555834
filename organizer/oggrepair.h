#pragma once

#include <optional>

#include "organizer/bytesource.h"
#include "organizer/chineseconverter.h"
#include "organizer/tagrewrite.h"

// Decides how the Vorbis comment of an Ogg file (Vorbis, Opus, Speex or FLAC) is repaired so
// that players show its Chinese text, as flacrepair.h says for FLAC files: the first title,
// artist, album artist and album fields of raw or widened GBK or Big5 bytes get UTF-8.
//
// The edit is of the file's first two pages: the codec's identification, and the page the
// comment packet stands on, rebuilt with the new packet and its own flags, positions and
// numbers, the rest of its body kept byte for byte, and its CRC computed anew. So no other
// page changes. Files whose comment packet does not start and end on the second page (a
// large cover in the comment, several streams interleaved), or would not fit on it, are left
// alone.
std::optional<TagRewrite> PlanOggTagRepair(const ByteSource& file,
                                           const ChineseConverter& converter);
