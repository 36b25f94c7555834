#include "organizer/aperepair.h"

#include <cstddef>
#include <string>
#include <vector>

#include "organizer/apetaglayout.h"
#include "organizer/apetags.h"
#include "organizer/byteorder.h"
#include "organizer/repairreading.h"
#include "organizer/tagrepair.h"

namespace {

// The tag's items; nothing when they are not whole.
std::optional<std::vector<ApeItem>> WholeItems(const ByteSource& file, const ApeTagLayout& tag) {
    std::vector<ApeItem> items;
    ApeItemWalk walk(file, tag);
    while (std::optional<ApeItem> item = walk.Next()) {
        items.push_back(std::move(*item));
    }
    if (!walk.ReachedFooter()) {
        return std::nullopt;
    }
    return items;
}

// The new items, as replacements in `region`, which starts at the tag's start.
void RepairItems(const std::string& region, const ApeTagLayout& tag,
                 const std::vector<ApeItem>& items, const ChineseConverter& converter,
                 TagRewrite& rewrite, std::vector<TagReplacement>& replacements) {
    const auto valueOf = [&](const ApeItem& item) {
        return std::string_view(region).substr(item.valueOffset - tag.start, item.valueSize);
    };
    std::vector<RepairCandidate> candidates;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::optional<FieldRole> role = ApeRole(items[i].key);
        if (role && IsApeTextItem(tag, items[i])) {
            candidates.push_back({*role, valueOf(items[i]), i});
        }
    }
    for (RepairedField& repaired : RepairTagFields(candidates, converter)) {
        const ApeItem& item = items[repaired.index];
        const std::size_t offset = item.offset - tag.start;
        replacements.push_back(
            {offset, region.substr(offset, item.End() - item.offset),
             LittleEndian32Bytes(static_cast<std::uint32_t>(repaired.repaired.size())) +
                 LittleEndian32Bytes(item.flags) + item.key + '\0' + repaired.repaired});
        rewrite.fields.push_back(
            {repaired.name, std::move(repaired.shown), std::move(repaired.repaired)});
    }
}

// The size field at `offset` in `region` made to give `size`.
TagReplacement SizeField(const std::string& region, std::size_t offset, std::size_t size) {
    return {offset, region.substr(offset, 4),
            LittleEndian32Bytes(static_cast<std::uint32_t>(size))};
}

}  // namespace

std::optional<TagRewrite> PlanApeTagRepair(const ByteSource& file,
                                           const ChineseConverter& converter) {
    const std::optional<ApeTagLayout> tag = FindApeTag(file);
    if (!tag || file.Size() - tag->start > kMaxRepairedTag) {
        return std::nullopt;
    }
    const std::optional<std::vector<ApeItem>> items = WholeItems(file, *tag);
    if (!items) {
        return std::nullopt;
    }
    const std::string region = file.Read(tag->start, file.Size() - tag->start);
    TagRewrite rewrite;
    std::vector<TagReplacement> replacements;
    RepairItems(region, *tag, *items, converter, rewrite, replacements);
    if (rewrite.fields.empty()) {
        return std::nullopt;
    }
    const std::ptrdiff_t growth = GrowthOf(replacements);
    const std::size_t tagSize = static_cast<std::size_t>(
        static_cast<std::ptrdiff_t>(tag->footer + kApeFooterSize - tag->itemsStart) + growth);
    if (tagSize > UINT32_MAX) {
        return std::nullopt;
    }
    if (tag->hasHeader) {
        replacements.insert(replacements.begin(), SizeField(region, kApeSizeField, tagSize));
    }
    replacements.push_back(SizeField(region, tag->footer - tag->start + kApeSizeField, tagSize));
    std::optional<TagEdit> edit = MakeReplacingEdit(
        region, replacements,
        static_cast<std::size_t>(static_cast<std::ptrdiff_t>(region.size()) + growth));
    if (!edit) {
        return std::nullopt;
    }
    edit->region = TagRegion::Tail;
    rewrite.edit = std::move(*edit);
    return rewrite;
}
