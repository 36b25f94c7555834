#include "organizer/mp4tags.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "organizer/byteorder.h"
#include "organizer/formatfields.h"

namespace {

// A file has a dozen boxes on the path walked; a damaged one could make any number.
constexpr int kMaxBoxesWalked = 4096;
constexpr std::size_t kFullBoxFields = 4;  // version and flags
constexpr std::uint64_t kUtf8Data = 1;
constexpr std::uint64_t kUtf16Data = 2;

constexpr std::array<std::pair<std::string_view, FieldRole>, 4> kItems{{
    {"\xA9nam", FieldRole::Title},
    {"\xA9"
     "ART",
     FieldRole::Artist},
    {"aART", FieldRole::AlbumArtist},
    {"\xA9"
     "alb",
     FieldRole::Album},
}};

struct Box {
    std::string type;
    std::uint64_t body = 0;  // where the contents start
    std::uint64_t end = 0;
};

// Box types are four characters of text (© counts); anything else is damage.
bool IsBoxType(std::string_view type) {
    for (const char c : type) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 || byte > 0x7E) && byte != 0xA9) {
            return false;
        }
    }
    return true;
}

class BoxWalk {
public:
    explicit BoxWalk(const ByteSource& file) : file_(file) {}

    // The box at `pos`, which must end by `end`; nothing for damage or past the bound.
    std::optional<Box> At(std::uint64_t pos, std::uint64_t end) {
        if (++walked_ > kMaxBoxesWalked || pos > end || end - pos < 8) {
            return std::nullopt;
        }
        const std::string header = file_.Read(pos, 16);
        if (header.size() < 8 || !IsBoxType(std::string_view(header).substr(4, 4))) {
            return std::nullopt;
        }
        std::uint64_t size = BigEndian(header, 0, 4);
        std::uint64_t headerSize = 8;
        if (size == 1) {  // a 64-bit size follows the type
            if (header.size() < 16) {
                return std::nullopt;
            }
            size = BigEndian(header, 8, 8);
            headerSize = 16;
        } else if (size == 0) {  // the box runs to the end
            size = end - pos;
        }
        if (size < headerSize || size > end - pos) {
            return std::nullopt;
        }
        return Box{header.substr(4, 4), pos + headerSize, pos + size};
    }

    // The first box of that type among the boxes from `start` to `end`.
    std::optional<Box> Child(std::uint64_t start, std::uint64_t end, std::string_view type) {
        for (std::uint64_t pos = start; pos < end;) {
            const std::optional<Box> box = At(pos, end);
            if (!box) {
                return std::nullopt;
            }
            if (box->type == type) {
                return box;
            }
            pos = box->end;
        }
        return std::nullopt;
    }

    std::string Read(std::uint64_t pos, std::uint64_t count) const {
        return file_.Read(static_cast<std::size_t>(pos), static_cast<std::size_t>(count));
    }

private:
    const ByteSource& file_;
    int walked_ = 0;
};

bool IsVideoTrack(BoxWalk& walk, const Box& trak) {
    const std::optional<Box> mdia = walk.Child(trak.body, trak.end, "mdia");
    const std::optional<Box> hdlr = mdia ? walk.Child(mdia->body, mdia->end, "hdlr") : std::nullopt;
    // version and flags, a pre-defined word, then the handler type
    return hdlr && walk.Read(hdlr->body + 8, 4) == "vide";
}

// The value of an item's data box, offered to its role when it is text.
void OfferItem(BoxWalk& walk, const Box& item, FieldRole role, FormatFields& fields) {
    const std::optional<Box> data = walk.Child(item.body, item.end, "data");
    if (!data || data->end - data->body < 8) {
        return;
    }
    const std::string kind = walk.Read(data->body, 4);
    const std::uint64_t type = kind.size() == 4 ? BigEndian(kind, 1, 3) : 0;
    const std::uint64_t length = std::min<std::uint64_t>(data->end - data->body - 8, kMaxFieldSize);
    if (type == kUtf8Data) {
        fields.Offer(role, walk.Read(data->body + 8, length));
    } else if (type == kUtf16Data) {
        fields.Offer(role, Utf16BigEndianToUtf8(walk.Read(data->body + 8, length)));
    }
}

void ReadItems(BoxWalk& walk, const Box& udta, FormatFields& fields) {
    const std::optional<Box> meta = walk.Child(udta.body, udta.end, "meta");
    if (!meta) {
        return;
    }
    // An ISO meta box has version and flags before its children; QuickTime's has none.
    const std::uint64_t children =
        walk.Read(meta->body + 4, 4) == "hdlr" ? meta->body : meta->body + kFullBoxFields;
    const std::optional<Box> ilst = walk.Child(children, meta->end, "ilst");
    if (!ilst) {
        return;
    }
    for (std::uint64_t pos = ilst->body; pos < ilst->end;) {
        const std::optional<Box> item = walk.At(pos, ilst->end);
        if (!item) {
            return;
        }
        for (const auto& [type, role] : kItems) {
            if (item->type == type && !fields.Has(role)) {
                OfferItem(walk, *item, role, fields);
            }
        }
        pos = item->end;
    }
}

}  // namespace

Mp4Tags ReadMp4Tags(const ByteSource& file) {
    BoxWalk walk(file);
    Mp4Tags result;
    const std::optional<Box> moov = walk.Child(0, file.Size(), "moov");
    if (!moov) {
        return result;
    }
    FormatFields fields;
    for (std::uint64_t pos = moov->body; pos < moov->end;) {
        const std::optional<Box> box = walk.At(pos, moov->end);
        if (!box) {
            break;
        }
        if (box->type == "trak" && IsVideoTrack(walk, *box)) {
            result.hasVideo = true;
        } else if (box->type == "udta") {
            ReadItems(walk, *box, fields);
        }
        pos = box->end;
    }
    result.tags = fields.ToTrackTags();
    return result;
}
