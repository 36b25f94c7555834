#include "organizer/vorbiscomment.h"

#include "organizer/byteorder.h"

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

VorbisFields ReadVorbisFields(std::string_view comment) {
    VorbisFields out;
    std::size_t pos = 0;
    if (!NextString(comment, pos) || comment.size() - pos < 4) {
        return out;
    }
    std::uint32_t count = LittleEndian32(comment, pos);
    pos += 4;
    for (; count > 0; --count) {
        const std::size_t offset = pos;
        const std::optional<std::string_view> field = NextString(comment, pos);
        if (!field) {
            return out;
        }
        const std::size_t equals = field->find('=');
        if (equals != std::string_view::npos) {
            out.fields.push_back(
                {offset, pos - offset, field->substr(0, equals), field->substr(equals + 1)});
        }
    }
    out.whole = true;
    return out;
}

TrackTags ReadVorbisComment(std::string_view comment) {
    FormatFields fields;
    for (const VorbisField& field : ReadVorbisFields(comment).fields) {
        if (const std::optional<FieldRole> role = VorbisRole(field.name)) {
            fields.Offer(*role, field.value);
        }
    }
    return fields.ToTrackTags();
}

std::optional<FieldRole> VorbisRole(std::string_view name) {
    return RoleNamed(name, kNames);
}
