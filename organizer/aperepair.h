#pragma once

#include <optional>

#include "organizer/bytesource.h"
#include "organizer/chineseconverter.h"
#include "organizer/tagrewrite.h"

// Decides how the APE tag at the end of a Monkey's Audio or WavPack file is repaired so that
// players show its Chinese text: the first Title, Artist, "Album Artist" ("band") and Album
// text items whose value is raw GBK or Big5 bytes (no UTF-8), or plainly such bytes widened,
// get the naming chain's reading as UTF-8. Every other item, the tag's header and footer but
// for the size they give, an ID3v1 tag after it and the audio before it are kept byte for
// byte; an ID3v1 tag is not repaired, and no item is added.
//
// The edit is of the file's last bytes, from the tag's start to the end. Tags that are not
// whole (an item past the footer, fewer items than counted) are left alone.
std::optional<TagRewrite> PlanApeTagRepair(const ByteSource& file,
                                           const ChineseConverter& converter);
