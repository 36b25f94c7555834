#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "organizer/id3v2field.h"
#include "organizer/tracktags.h"

// The fields a name is made of, as the formats whose tags are Unicode by definition hold them
// (Vorbis comments, MP4 items, APE items): each format names them its own way, and its
// reader offers each field it meets under the role the name gives it.
enum class FieldRole { Title, Artist, AlbumArtist, Album };

class FormatFields {
public:
    // The first value offered for a role counts; it is kept up to kMaxFieldSize bytes.
    void Offer(FieldRole role, std::string_view value);
    bool Has(FieldRole role) const;

    // The fields as code page 936 text, each as FormatFieldText takes it: the artist is the
    // artist, else the album artist.
    TrackTags ToTrackTags() const;

    // True when a value offered is no UTF-8: the tool that wrote the tag stored its own code
    // page.
    bool HoldsRawBytes() const;

private:
    std::array<std::optional<std::string>, 4> values_;
};

// A value of such a format as the naming chain takes it, up to its first NUL (APE lists values
// NUL-separated). A value is UTF-8 as its format says, and taken as Unicode text; a value
// that is no UTF-8 was stored raw in a tool's own code page (GBK or Big5 in Chinese
// collections) and is kept as 8-bit text. So is UTF-8 of characters below U+0800 only (Latin,
// Cyrillic...) in a tag that holds raw bytes elsewhere (`rawTag`): the GBK bytes of many
// Chinese words (一夜, D2 BB D2 B9) happen to make such UTF-8, and a tool writes a tag in one
// encoding.
FieldText FormatFieldText(std::string_view value, bool rawTag);

// A field's name and the role it gives.
struct FieldName {
    std::string_view name;  // lower case
    FieldRole role;
};

// The role of the field called `name` (ASCII, compared ignoring case) among `known`.
std::optional<FieldRole> RoleNamed(std::string_view name, std::span<const FieldName> known);

// A UTF-16 big-endian value (an MP4 item may hold one) as UTF-8, unpaired surrogates dropped.
std::string Utf16BigEndianToUtf8(std::string_view bytes);
