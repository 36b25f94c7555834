#pragma once

#include "organizer/bytesource.h"
#include "organizer/tracktags.h"

// Reads the title, artist and album of a FLAC file from its Vorbis comment block: the
// metadata blocks after "fLaC" (and after an ID3v2 tag some tools put first) are walked by
// their headers, and only the comment block is read, never a picture or the audio. A file
// that does not start so, or whose blocks are damaged before the comment, has no fields.
TrackTags ReadFlacTags(const ByteSource& file);
