#include "organizer/formatfields.h"

#include <algorithm>
#include <cstddef>

#include "platform/ascii.h"
#include "platform/codepage.h"

namespace {

std::size_t IndexOf(FieldRole role) {
    return static_cast<std::size_t>(role);
}

// True for valid UTF-8 with characters from U+0080 to U+07FF and none above.
bool HoldsOnlyTwoByteCharacters(std::string_view utf8) {
    bool wide = false;
    for (const char ch : utf8) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte >= 0xE0) {
            return false;
        }
        wide = wide || byte >= 0x80;
    }
    return wide;
}

bool IsRaw(const std::optional<std::string>& value) {
    return value && !codepage::IsValidUtf8(std::string_view(*value).substr(0, value->find('\0')));
}

void SetText(const std::optional<std::string>& value, bool rawTag, std::string& text,
             TextOrigin& origin) {
    if (!value) {
        return;
    }
    FieldText field = FormatFieldText(*value, rawTag);
    text = std::move(field.text);
    origin = field.origin;
}

}  // namespace

FieldText FormatFieldText(std::string_view value, bool rawTag) {
    value = value.substr(0, value.find('\0'));
    if (codepage::IsValidUtf8(value) && !(rawTag && HoldsOnlyTwoByteCharacters(value))) {
        return {codepage::Utf8ToCp936(value), TextOrigin::Unicode};
    }
    return {std::string(value), TextOrigin::EightBit};
}

void FormatFields::Offer(FieldRole role, std::string_view value) {
    auto& slot = values_[IndexOf(role)];
    if (!slot) {
        slot = std::string(value.substr(0, kMaxFieldSize));
    }
}

bool FormatFields::Has(FieldRole role) const {
    return values_[IndexOf(role)].has_value();
}

TrackTags FormatFields::ToTrackTags() const {
    const bool raw = HoldsRawBytes();
    TrackTags tags;
    SetText(values_[IndexOf(FieldRole::Title)], raw, tags.title, tags.titleOrigin);
    SetText(values_[IndexOf(FieldRole::Artist)], raw, tags.artist, tags.artistOrigin);
    if (tags.artist.empty()) {
        SetText(values_[IndexOf(FieldRole::AlbumArtist)], raw, tags.artist, tags.artistOrigin);
    }
    SetText(values_[IndexOf(FieldRole::Album)], raw, tags.album, tags.albumOrigin);
    return tags;
}

bool FormatFields::HoldsRawBytes() const {
    return std::any_of(values_.begin(), values_.end(), IsRaw);
}

std::optional<FieldRole> RoleNamed(std::string_view name, std::span<const FieldName> known) {
    const std::string lower = AsciiLower(std::string(name));
    for (const FieldName& field : known) {
        if (lower == field.name) {
            return field.role;
        }
    }
    return std::nullopt;
}

std::string Utf16BigEndianToUtf8(std::string_view bytes) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) << 8 |
                                       static_cast<unsigned char>(bytes[i + 1]));
    }
    return codepage::Cp936ToUtf8(codepage::Utf16ToCp936(units));
}
