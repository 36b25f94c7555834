#include "organizer/tagregion.h"

#include <algorithm>

#include "organizer/apetaglayout.h"
#include "organizer/flacmetadata.h"
#include "organizer/id3v2tag.h"
#include "organizer/oggpage.h"

std::optional<std::size_t> TagRegionSize(const ByteSource& file, TagRegion region) {
    if (region == TagRegion::Tail) {
        return ApeTailSize(file);
    }
    const std::string start = file.Read(0, kId3v2HeaderSize);
    if (start.starts_with("fLaC")) {
        return FlacHeadSize(file);
    }
    if (start.starts_with("OggS")) {
        return OggHeadSize(file);
    }
    return Id3v2TagSize(start);
}

std::string TagRegionBytes(const ByteSource& file, TagRegion region, std::size_t length) {
    if (region == TagRegion::Head) {
        return file.Read(0, length);
    }
    const std::size_t size = file.Size();
    return file.Read(size - std::min(size, length), length);
}
