#include "organizer/flacrepair.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "organizer/byteorder.h"
#include "organizer/flacmetadata.h"
#include "organizer/repairreading.h"
#include "organizer/tagrepair.h"
#include "organizer/vorbiscomment.h"
#include "platform/codepage.h"

namespace {

// The step lines' names of the fields, by role, as for MP3 files.
constexpr std::array<const char*, 4> kRoleNames = {"title", "artist", "band", "album"};

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
    std::array<bool, kRoleNames.size()> seen{};
    for (const VorbisField& field : comment.fields) {
        const std::optional<FieldRole> role = VorbisRole(field.name);
        if (!role || seen[static_cast<std::size_t>(*role)]) {
            continue;
        }
        seen[static_cast<std::size_t>(*role)] = true;
        if (field.value.find('\0') != std::string_view::npos) {
            continue;  // more than one value: not a name's text
        }
        std::optional<RepairReading> reading =
            RepairReadingOf(FormatFieldText(field.value), converter);
        if (!reading) {
            continue;
        }
        const std::string repaired = codepage::Cp936ToUtf8(reading->repaired);
        const std::string text = std::string(field.name) + "=" + repaired;
        replacements.push_back(
            {body + field.offset, region.substr(body + field.offset, field.size),
             LittleEndian32Bytes(static_cast<std::uint32_t>(text.size())) + text});
        rewrite.fields.push_back(
            {kRoleNames[static_cast<std::size_t>(*role)], std::move(reading->shown), repaired});
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
