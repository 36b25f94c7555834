#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "organizer/bytesource.h"
#include "organizer/tracktags.h"

// Reads the title, artist and album of an Ogg file (.ogg, .oga, .opus) from the comment packet
// of its first logical stream: Vorbis, Opus, FLAC or Speex. The pages are walked by their
// headers from the start and only the first two packets are put together, never the audio.
// Another codec, a file that does not start with a page, or pages damaged before the comment
// give no fields.
TrackTags ReadOggTags(const ByteSource& file);

// Where the Vorbis comment stands in a codec's comment packet, after the codec's own bytes
// ("\x03vorbis", "OpusTags", an Ogg FLAC metadata block header, nothing for Speex); nothing for
// another codec.
struct OggCommentPlace {
    std::size_t offset = 0;
    bool inFlacBlock = false;  // the packet is a FLAC metadata block, its length at bytes 1-3
};
std::optional<OggCommentPlace> OggCommentPlaceOf(std::string_view identification,
                                                 std::string_view commentPacket);
