#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "organizer/chineseconverter.h"
#include "organizer/tagedit.h"
#include "organizer/tagrewrite.h"

// The repair of a Vorbis comment, wherever it stands (a FLAC block, an Ogg packet): each field
// RepairTagFields picks becomes "NAME=UTF-8" under its name as written, in its place. The
// replacements are at `base` plus their offsets in the comment, and the fields are added to
// `rewrite`; none for a comment that is not whole.
std::vector<TagReplacement> RepairVorbisComment(std::string_view comment, std::size_t base,
                                                const ChineseConverter& converter,
                                                TagRewrite& rewrite);
