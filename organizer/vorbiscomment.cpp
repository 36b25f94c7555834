#include "organizer/vorbiscomment.h"

#include <optional>

#include "organizer/byteorder.h"
#include "organizer/formatfields.h"

namespace {

constexpr FieldName kNames[] = {
    {"title", FieldRole::Title},
    {"artist", FieldRole::Artist},
    {"albumartist", FieldRole::AlbumArtist},
    {"album artist", FieldRole::AlbumArtist},
    {"album", FieldRole::Album},
};

// The length-prefixed string at `pos`, which moves past it; nothing when it runs past the end.
std::optional<std::string_view> NextString(std::string_view comment, std::size_t& pos) {
    if (comment.size() - pos < 4) {
        return std::nullopt;
    }
    const std::uint32_t length = LittleEndian32(comment, pos);
    pos += 4;
    if (comment.size() - pos < length) {
        return std::nullopt;
    }
    const std::string_view text = comment.substr(pos, length);
    pos += length;
    return text;
}

}  // namespace

TrackTags ReadVorbisComment(std::string_view comment) {
    std::size_t pos = 0;
    if (!NextString(comment, pos) || comment.size() - pos < 4) {
        return {};
    }
    std::uint32_t count = LittleEndian32(comment, pos);
    pos += 4;
    FormatFields fields;
    for (; count > 0; --count) {
        const std::optional<std::string_view> field = NextString(comment, pos);
        if (!field) {
            break;
        }
        const std::size_t equals = field->find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        if (const std::optional<FieldRole> role = RoleNamed(field->substr(0, equals), kNames)) {
            fields.Offer(*role, field->substr(equals + 1));
        }
    }
    return fields.ToTrackTags();
}
