#pragma once

#include "organizer/bytesource.h"
#include "organizer/tracktags.h"

// Reads the title, artist and album of an Ogg file (.ogg, .oga, .opus) from the comment packet
// of its first logical stream: Vorbis, Opus, FLAC or Speex. The pages are walked by their
// headers from the start and only the first two packets are put together, never the audio.
// Another codec, a file that does not start with a page, or pages damaged before the comment
// give no fields.
TrackTags ReadOggTags(const ByteSource& file);
