#include "organizer/flacrepair.h"

#include <cstddef>
#include <string>
#include <vector>

#include "organizer/flacmetadata.h"
#include "organizer/tagrepair.h"
#include "organizer/vorbiscommentrepair.h"

namespace {

struct Metadata {
    FlacBlock comment;
    FlacBlock last;
    std::size_t end = 0;
};

std::optional<Metadata> WalkMetadata(const ByteSource& file) {
    if (file.Read(0, 4) != "fLaC") {
        return std::nullopt;
    }
    FlacBlockWalk walk(file, 0);
    std::optional<FlacBlock> comment;
    FlacBlock last;
    while (const std::optional<FlacBlock> block = walk.Next()) {
        if (block->type == kFlacCommentBlock && !comment) {
            comment = block;
        }
        last = *block;
    }
    if (!walk.ReachedAudio() || !comment || walk.MetadataEnd() > kMaxRepairedTag) {
        return std::nullopt;
    }
    return Metadata{*comment, last, walk.MetadataEnd()};
}

}  // namespace

std::optional<TagRewrite> PlanFlacTagRepair(const ByteSource& file,
                                            const ChineseConverter& converter) {
    const std::optional<Metadata> metadata = WalkMetadata(file);
    if (!metadata) {
        return std::nullopt;
    }
    const std::string region = file.Read(0, metadata->end);
    const FlacBlock& comment = metadata->comment;
    const std::size_t body = comment.offset + kFlacBlockHeaderSize;
    TagRewrite rewrite;
    std::vector<TagReplacement> replacements = RepairVorbisComment(
        std::string_view(region).substr(body, comment.length), body, converter, rewrite);
    if (replacements.empty()) {
        return std::nullopt;
    }
    const std::ptrdiff_t growth = GrowthOf(replacements);
    const std::ptrdiff_t commentLength = static_cast<std::ptrdiff_t>(comment.length) + growth;
    if (commentLength > static_cast<std::ptrdiff_t>(kMaxFlacBlockLength)) {
        return std::nullopt;
    }
    replacements.insert(replacements.begin(),
                        {comment.offset, region.substr(comment.offset, kFlacBlockHeaderSize),
                         FlacBlockHeader(region[comment.offset], commentLength)});
    // In place where the padding that ends the metadata takes the change.
    const FlacBlock& last = metadata->last;
    const std::ptrdiff_t paddingLength = static_cast<std::ptrdiff_t>(last.length) - growth;
    if (last.type == kFlacPaddingBlock && last.offset > comment.offset && paddingLength >= 0 &&
        paddingLength <= static_cast<std::ptrdiff_t>(kMaxFlacBlockLength)) {
        std::vector<TagReplacement> inPlace = replacements;
        inPlace.push_back({last.offset, region.substr(last.offset, kFlacBlockHeaderSize),
                           FlacBlockHeader(region[last.offset], paddingLength)});
        if (std::optional<TagEdit> edit = MakeReplacingEdit(region, inPlace, region.size())) {
            rewrite.edit = std::move(*edit);
            return rewrite;
        }
    }
    std::optional<TagEdit> edit = MakeReplacingEdit(
        region, replacements,
        static_cast<std::size_t>(static_cast<std::ptrdiff_t>(region.size()) + growth));
    if (!edit) {
        return std::nullopt;
    }
    rewrite.edit = std::move(*edit);
    return rewrite;
}
