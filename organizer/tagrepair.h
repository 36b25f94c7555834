#pragma once

#include <optional>
#include <string>

#include "organizer/audioformat.h"
#include "organizer/bytesource.h"
#include "organizer/chineseconverter.h"
#include "organizer/tagrewrite.h"
#include "organizer/tracktags.h"

// Decides how the tag of an MP3 file is repaired so that players show its Chinese text: the
// title, artist, album and band whose 8-bit text (an ID3v2 frame in ISO-8859-1, or ID3v1 where
// ID3v2 lacks the frame) reads as clean GBK or Big5, or whose Unicode frame is plainly such
// bytes widened (widenedtext.h), get UTF-16 frames (UTF-8 in an ID3v2.4 tag) holding the text
// as the naming chain reads it, traditional characters simplified as in the file's name.
// Text whose reading is uncertain, or that is right already, is left alone, and so is every
// other frame, byte for byte, and the ID3v1 tag.
//
// The new frames replace the old ones at the head of the tag. Where the tag's padding takes
// them, the tag keeps its size (the file can be written in place); else the tag grows and
// gets kRepairPadding bytes of padding, and the file must be written anew.
//
// Tags that cannot be rewritten so are left alone: ID3v2.2, a tag unsynchronised as a whole,
// one with an extended header or a footer, an ID3v2 tag appended at the end, and tags larger
// than kMaxRepairedTag.

inline constexpr std::size_t kRepairPadding = 1024;
inline constexpr std::size_t kMaxRepairedTag = 64 * 1024 * 1024;

// The rewrite of the tag `file` starts with; nothing when it needs none or cannot have one.
std::optional<TagRewrite> PlanTagRepair(const ByteSource& file, const ChineseConverter& converter);

// The rewrite of the tag of the file at `path`, of the format its name gives: MP3 as above,
// FLAC as flacrepair.h says, Ogg as oggrepair.h says, APE and WavPack as aperepair.h says;
// nothing for MP4 and WMA files and for files that cannot be read.
std::optional<TagRewrite> PlanTagRepair(const std::string& path, AudioFormat format,
                                        const ChineseConverter& converter);
