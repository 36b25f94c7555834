#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "asfmeta/asfmeta.h"
#include "organizer/tracktags.h"

// Reads the tags a file's new name is made of into TrackTags: code page 936 bytes, "" for
// whatever is missing or cannot be read.
//
// ID3v1 fields and ISO-8859-1 ID3v2 frames keep their bytes as stored (Chinese collections
// store GBK or Big5 that way); an ID3v1 field ends at its first NUL and loses its trailing
// spaces. UTF-16 and UTF-8 frames are converted to code page 936. The artist is the first
// present frame of TPE1 (lead performer), TPE2 (band), TPE3 (conductor) and TCOM (composer).
//
// Only the tag bytes are read: the ID3v2 tag at the start of the file and its last 128 bytes.
// Reading never changes a file, and a damaged one only leaves fields empty.

// Tag kinds of ReadId3Tags.
inline constexpr int kId3v1 = 1;
inline constexpr int kId3v2 = 2;

// Sizes of the buffers ReadWmaAttributes hands to GetAsfmeta.
inline constexpr std::size_t kWmaPathBufferSize = 1024;
inline constexpr std::size_t kWmaTitleBufferSize = 1024;
inline constexpr std::size_t kWmaArtistBufferSize = 64;
inline constexpr std::size_t kWmaAlbumBufferSize = 64;

// Reads the ID3v1 (kind 1) or ID3v2 (kind 2) tag of the MP3 file at `path` into `tags`, all
// three fields assigned. Returns 1 when the kind was 1 or 2, else 0 with `tags` untouched.
int ReadId3Tags(const std::string& path, TrackTags& tags, int kind);

// Reads both tags of the MP3 file at `path` with one opening of the file: the ID3v1 tag into
// `first`, the ID3v2 tag into `second`. The same as ReadId3Tags of kind 1, then kind 2.
void ReadMp3Tags(const std::string& path, TrackTags& first, TrackTags& second);

// Parse tag bytes already read, for ReadId3Tags and ReadMp3Tags: the last 128 bytes of a file
// (an ID3v1 tag when they start with "TAG"), or the ID3v2 tag a file starts with, from its
// header on and possibly cut short. Anything else gives empty fields.
TrackTags ParseId3v1Tag(std::string_view bytes);
TrackTags ParseId3v2Tag(std::string_view bytes);

// Reads the title, artist and album of the WMA file at `path` through the WMA module's
// export, which the caller has bound (null when the module or its export is missing). Returns
// the export's result; 0 without a function, for a path that does not fit the 1024-byte path
// buffer, or when the call throws. Fields are assigned only after a call that returned.
int ReadWmaAttributes(const std::string& path, TrackTags& tags, PFN_GETASFMETA pfnGetAsfmeta);
