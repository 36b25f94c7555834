#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "asfmeta/asfmeta.h"
#include "organizer/audioformat.h"
#include "organizer/bytesource.h"
#include "organizer/tracktags.h"

// Reads the tags a file's new name is made of into TrackTags: code page 936 bytes, "" for
// whatever is missing or cannot be read, each field marked with the origin of its bytes.
//
// ID3v1 fields and ISO-8859-1 ID3v2 frames keep their bytes as stored (Chinese collections
// store GBK or Big5 that way); an ID3v1 field ends at its first NUL and loses its trailing
// spaces. UTF-16 and UTF-8 frames and WMA attributes are Unicode text, converted to code page
// 936. The ID3v2 tag is the one the file starts with or, when it has none, an ID3v2.4 tag
// appended at its end (id3v2tag.h says what is read of it).
//
// ID3v1 and ID3v2 are read by this code and id3v2tag.h, no tag library; the WMA attributes
// come from the WMA module (asfmeta/), which reads them with TagLib.
//
// Only the tag bytes are read: the start of the file, the frames wanted and the last bytes.
// Reading never changes a file, and a damaged one only leaves fields empty.

// Sizes of the buffers ReadWmaAttributes hands to GetAsfmeta.
inline constexpr std::size_t kWmaPathBufferSize = 1024;
inline constexpr std::size_t kWmaTitleBufferSize = 1024;
inline constexpr std::size_t kWmaArtistBufferSize = 64;
inline constexpr std::size_t kWmaAlbumBufferSize = 64;

// Reads both tags of the MP3 file at `path` with one opening of the file: the ID3v1 tag into
// `first`, the ID3v2 tag into `second`, all three fields of each assigned. A file that cannot
// be read gives empty fields, as one without tags.
void ReadMp3Tags(const std::string& path, TrackTags& first, TrackTags& second);

// The same from the bytes of a whole file, however they are held.
void ReadMp3Tags(const ByteSource& file, TrackTags& first, TrackTags& second);

// Reads the tags of a file of a format beyond MP3 and WMA (audioformat.h) with one opening of
// the file: its own tag (flactags.h, oggtags.h, mp4tags.h) into `first`; for APE and WavPack
// files an ID3v1 tag into `first` and the APE tag (apetags.h) into `second`, as for MP3. A
// file that cannot be read gives empty fields. Returns false for a file that is no music though
// its name says so: an MP4 file with a video track.
bool ReadFormatTags(const std::string& path, AudioFormat format, TrackTags& first,
                    TrackTags& second);

// Reads the title, artist and album of the WMA file at `path` through the WMA module's
// export, which the caller has bound (null when the module or its export is missing). Returns
// the export's result; 0 without a function, for a path that does not fit the 1024-byte path
// buffer, or when the call throws. Fields are assigned only after a call that returned.
int ReadWmaAttributes(const std::string& path, TrackTags& tags, PFN_GETASFMETA pfnGetAsfmeta);
