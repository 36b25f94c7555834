#include "organizer/oggrepair.h"

#include <cstddef>
#include <string>
#include <vector>

#include "organizer/flacmetadata.h"
#include "organizer/oggpage.h"
#include "organizer/oggtags.h"
#include "organizer/tagrepair.h"
#include "organizer/vorbiscommentrepair.h"

namespace {

// The first two pages, of one stream, the first holding one whole packet and the second
// starting with a packet that ends on it: its length.
struct HeadPages {
    OggPage first;
    OggPage second;
    std::size_t commentSize = 0;
    std::size_t commentSegments = 0;  // its lacing values
};

std::optional<HeadPages> ReadHeadPages(const ByteSource& file) {
    const std::optional<OggPage> first = ReadOggPage(file, 0);
    const std::optional<OggPage> second = first ? ReadOggPage(file, first->End()) : std::nullopt;
    if (!second || second->End() > file.Size() || second->End() > kMaxRepairedTag ||
        first->Lacing().empty() || static_cast<unsigned char>(first->Lacing().back()) == 255 ||
        first->header.substr(kOggSerialOffset, 4) != second->header.substr(kOggSerialOffset, 4) ||
        (static_cast<unsigned char>(second->header[5]) & kOggContinued) != 0) {
        return std::nullopt;
    }
    HeadPages pages{*first, *second};
    for (const char lace : second->Lacing()) {
        pages.commentSize += static_cast<unsigned char>(lace);
        ++pages.commentSegments;
        if (static_cast<unsigned char>(lace) < 255) {
            return pages;
        }
    }
    return std::nullopt;  // the packet goes on on the next page
}

// The bytes of `packet` with the replacements (in its own offsets) made.
std::string Replaced(const std::string& packet, const std::vector<TagReplacement>& replacements) {
    std::string out;
    std::size_t kept = 0;
    for (const TagReplacement& replacement : replacements) {
        out += packet.substr(kept, replacement.offset - kept) + replacement.replacement;
        kept = replacement.offset + replacement.replaced.size();
    }
    return out + packet.substr(kept);
}

// The new fields of the comment at `place` in the packet, as replacements in its offsets.
std::vector<TagReplacement> RepairPacket(const std::string& packet, const OggCommentPlace& place,
                                         const ChineseConverter& converter, TagRewrite& rewrite) {
    std::vector<TagReplacement> replacements = RepairVorbisComment(
        std::string_view(packet).substr(place.offset), place.offset, converter, rewrite);
    if (place.inFlacBlock && !replacements.empty()) {
        const std::size_t length = packet.size() - kFlacBlockHeaderSize + GrowthOf(replacements);
        replacements.insert(replacements.begin(), {0, packet.substr(0, kFlacBlockHeaderSize),
                                                   FlacBlockHeader(packet[0], length)});
    }
    return replacements;
}

}  // namespace

std::optional<TagRewrite> PlanOggTagRepair(const ByteSource& file,
                                           const ChineseConverter& converter) {
    const std::optional<HeadPages> pages = ReadHeadPages(file);
    if (!pages) {
        return std::nullopt;
    }
    const OggPage& second = pages->second;
    const std::string region = file.Read(0, second.End());
    const std::string identification =
        region.substr(pages->first.BodyOffset(), pages->first.bodySize);
    const std::string body = region.substr(second.BodyOffset(), second.bodySize);
    const std::string packet = body.substr(0, pages->commentSize);
    const std::optional<OggCommentPlace> place = OggCommentPlaceOf(identification, packet);
    if (!place) {
        return std::nullopt;
    }
    TagRewrite rewrite;
    std::vector<TagReplacement> replacements = RepairPacket(packet, *place, converter, rewrite);
    if (replacements.empty()) {
        return std::nullopt;
    }
    const std::string newPacket = Replaced(packet, replacements);
    const std::optional<std::string> page = MakeOggPage(
        second.header,
        OggLacingOf(newPacket.size()) + std::string(second.Lacing().substr(pages->commentSegments)),
        newPacket + body.substr(pages->commentSize));
    if (!page) {
        return std::nullopt;
    }
    // The page's header and lacing, then the packet's fields where they stand in the file.
    const std::size_t headerSize = page->size() - newPacket.size() - (body.size() - packet.size());
    std::vector<TagReplacement> inRegion = {
        {second.offset, second.header, page->substr(0, headerSize)}};
    for (TagReplacement& replacement : replacements) {
        replacement.offset += second.BodyOffset();
        inRegion.push_back(std::move(replacement));
    }
    const std::string result = region.substr(0, second.offset) + *page;
    std::optional<TagEdit> edit = MakeReplacingEdit(region, inRegion, result.size());
    if (!edit || ApplyTagEdit(*edit, region) != result) {
        return std::nullopt;
    }
    rewrite.edit = std::move(*edit);
    return rewrite;
}
