#pragma once

#include <optional>

#include "organizer/bytesource.h"
#include "organizer/chineseconverter.h"
#include "organizer/tagrewrite.h"

// Decides how the Vorbis comment of a FLAC file is repaired so that players show its Chinese
// text: the first title, artist, album artist ("band") and album whose value is raw GBK or
// Big5 bytes (no UTF-8), or plainly such bytes widened, get the naming chain's reading as
// UTF-8. The field keeps its name as written and its place; every other field, every other
// block and the audio are kept byte for byte.
//
// The edit is of the file's first bytes: the marker and all its metadata blocks. Where the
// padding block that ends the metadata takes the change, the metadata keeps its size (the
// file can be written in place); else it grows or shrinks by the change, and the file must be
// written anew. Files with an ID3v2 tag before the marker, with damaged metadata or with a
// comment not whole are left alone.
std::optional<TagRewrite> PlanFlacTagRepair(const ByteSource& file,
                                            const ChineseConverter& converter);
