#include "organizer/apetags.h"

#include <algorithm>
#include <optional>

#include "organizer/apetaglayout.h"
#include "organizer/formatfields.h"

namespace {

constexpr FieldName kKeys[] = {
    {"title", FieldRole::Title},
    {"artist", FieldRole::Artist},
    {"album artist", FieldRole::AlbumArtist},
    {"album", FieldRole::Album},
};

}  // namespace

std::optional<FieldRole> ApeRole(std::string_view key) {
    return RoleNamed(key, kKeys);
}

TrackTags ReadApeTag(const ByteSource& file) {
    const std::optional<ApeTagLayout> tag = FindApeTag(file);
    if (!tag) {
        return {};
    }
    FormatFields fields;
    ApeItemWalk walk(file, *tag);
    while (const std::optional<ApeItem> item = walk.Next()) {
        const std::optional<FieldRole> role = ApeRole(item->key);
        if (role && !fields.Has(*role) && IsApeTextItem(*tag, *item)) {
            fields.Offer(*role, file.Read(item->valueOffset,
                                          std::min<std::size_t>(item->valueSize, kMaxFieldSize)));
        }
    }
    return fields.ToTrackTags();
}
