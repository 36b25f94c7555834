#pragma once

#include "organizer/bytesource.h"
#include "organizer/tracktags.h"

// What the name of an MP4 file (.m4a, .mp4) is made of.
struct Mp4Tags {
    TrackTags tags;
    bool hasVideo = false;  // a track handles video: a film, not music
};

// Reads the items ©nam (title), ©ART (artist, else aART, the album artist) and ©alb (album)
// of the moov/udta/meta/ilst path, and the handler of each track (moov/trak/mdia/hdlr). Boxes
// are walked by their headers: only the headers on the way and the items' data are read,
// never the sample tables or the audio, wherever the moov box stands. A file whose boxes are
// damaged before the items (a box type that is no text, sizes that do not nest) gives the
// fields read by then.
Mp4Tags ReadMp4Tags(const ByteSource& file);
