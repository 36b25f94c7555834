#include "organizer/flacrepair.h"

#include <cstddef>
#include <string>
#include <vector>

#include "organizer/byteorder.h"
#include "organizer/flacmetadata.h"
#include "organizer/repairreading.h"
#include "organizer/tagrepair.h"
#include "organizer/vorbiscomment.h"

namespace {

std::string BlockHeader(char flags, std::size_t length) {
    return std::string(1, flags) + static_cast<char>(length >> 16 & 0xFF) +
           static_cast<char>(length >> 8 & 0xFF) + static_cast<char>(length & 0xFF);
}

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

// The new fields of the comment whose body starts at `body` in `region`.
void RepairFields(const std::string& region, std::size_t body, std::size_t length,
                  const ChineseConverter& converter, TagRewrite& rewrite,
                  std::vector<TagReplacement>& replacements) {
    const VorbisFields comment = ReadVorbisFields(std::string_view(region).substr(body, length));
    if (!comment.whole) {
        return;
    }
    std::vector<RepairCandidate> candidates;
    for (std::size_t i = 0; i < comment.fields.size(); ++i) {
        if (const std::optional<FieldRole> role = VorbisRole(comment.fields[i].name)) {
            candidates.push_back({*role, comment.fields[i].value, i});
        }
    }
    for (RepairedField& repaired : RepairTagFields(candidates, converter)) {
        const VorbisField& field = comment.fields[repaired.index];
        const std::string text = std::string(field.name) + "=" + repaired.repaired;
        replacements.push_back(
            {body + field.offset, region.substr(body + field.offset, field.size),
             LittleEndian32Bytes(static_cast<std::uint32_t>(text.size())) + text});
        rewrite.fields.push_back(
            {repaired.name, std::move(repaired.shown), std::move(repaired.repaired)});
    }
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
    TagRewrite rewrite;
    std::vector<TagReplacement> replacements;
    RepairFields(region, comment.offset + kFlacBlockHeaderSize, comment.length, converter, rewrite,
                 replacements);
    if (rewrite.fields.empty()) {
        return std::nullopt;
    }
    std::ptrdiff_t growth = 0;
    for (const TagReplacement& replacement : replacements) {
        growth += static_cast<std::ptrdiff_t>(replacement.replacement.size()) -
                  static_cast<std::ptrdiff_t>(replacement.replaced.size());
    }
    const std::ptrdiff_t commentLength = static_cast<std::ptrdiff_t>(comment.length) + growth;
    if (commentLength > static_cast<std::ptrdiff_t>(kMaxFlacBlockLength)) {
        return std::nullopt;
    }
    replacements.insert(replacements.begin(),
                        {comment.offset, region.substr(comment.offset, kFlacBlockHeaderSize),
                         BlockHeader(region[comment.offset], commentLength)});
    // In place where the padding that ends the metadata takes the change.
    const FlacBlock& last = metadata->last;
    const std::ptrdiff_t paddingLength = static_cast<std::ptrdiff_t>(last.length) - growth;
    if (last.type == kFlacPaddingBlock && last.offset > comment.offset && paddingLength >= 0 &&
        paddingLength <= static_cast<std::ptrdiff_t>(kMaxFlacBlockLength)) {
        std::vector<TagReplacement> inPlace = replacements;
        inPlace.push_back({last.offset, region.substr(last.offset, kFlacBlockHeaderSize),
                           BlockHeader(region[last.offset], paddingLength)});
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
