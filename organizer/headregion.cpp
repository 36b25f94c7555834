#include "organizer/headregion.h"

#include "organizer/flacmetadata.h"
#include "organizer/id3v2tag.h"

std::optional<std::size_t> HeadRegionSize(const ByteSource& file) {
    const std::string start = file.Read(0, kId3v2HeaderSize);
    if (start.starts_with("fLaC")) {
        return FlacHeadSize(file);
    }
    return Id3v2TagSize(start);
}
