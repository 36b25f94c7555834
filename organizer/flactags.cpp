#include "organizer/flactags.h"

#include <algorithm>

#include "organizer/flacmetadata.h"
#include "organizer/vorbiscomment.h"

TrackTags ReadFlacTags(const ByteSource& file) {
    const std::optional<std::size_t> marker = FlacMarkerOffset(file);
    if (!marker) {
        return {};
    }
    FlacBlockWalk walk(file, *marker);
    while (const std::optional<FlacBlock> block = walk.Next()) {
        if (block->type == kFlacCommentBlock) {
            return ReadVorbisComment(file.Read(block->offset + kFlacBlockHeaderSize,
                                               std::min(block->length, kMaxCommentBytes)));
        }
    }
    return {};
}
