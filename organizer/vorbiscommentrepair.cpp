#include "organizer/vorbiscommentrepair.h"

#include <optional>
#include <string>

#include "organizer/byteorder.h"
#include "organizer/repairreading.h"
#include "organizer/vorbiscomment.h"

std::vector<TagReplacement> RepairVorbisComment(std::string_view comment, std::size_t base,
                                                const ChineseConverter& converter,
                                                TagRewrite& rewrite) {
    std::vector<TagReplacement> replacements;
    const VorbisFields fields = ReadVorbisFields(comment);
    if (!fields.whole) {
        return replacements;
    }
    std::vector<RepairCandidate> candidates;
    for (std::size_t i = 0; i < fields.fields.size(); ++i) {
        if (const std::optional<FieldRole> role = VorbisRole(fields.fields[i].name)) {
            candidates.push_back({*role, fields.fields[i].value, i});
        }
    }
    for (RepairedField& repaired : RepairTagFields(candidates, converter)) {
        const VorbisField& field = fields.fields[repaired.index];
        const std::string text = std::string(field.name) + "=" + repaired.repaired;
        replacements.push_back(
            {base + field.offset, std::string(comment.substr(field.offset, field.size)),
             LittleEndian32Bytes(static_cast<std::uint32_t>(text.size())) + text});
        rewrite.fields.push_back(
            {repaired.name, std::move(repaired.shown), std::move(repaired.repaired)});
    }
    return replacements;
}
