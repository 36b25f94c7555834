#include "organizer/id3v2tag.h"

#include <array>
#include <cstdint>
#include <string>

#include "organizer/id3v2field.h"
#include "organizer/tagbody.h"

namespace {

// Tag header flags.
constexpr unsigned kTagUnsynchronised = 0x80;
constexpr unsigned kTagExtendedHeader = 0x40;  // in ID3v2.2: the whole tag compressed

constexpr std::size_t kId3v1Size = 128;

// A wanted frame is read up to this size. Unsynchronisation at most doubles a field, and a
// compressed field larger than this cannot inflate within kMaxFieldSize; a larger frame is
// passed over like one that is not wanted.
constexpr std::size_t kMaxFrameRead = 2 * kMaxFieldSize + 16;

static_assert(kMaxInflatedBytes == 4 * kMaxFieldSize);

struct WantedFrame {
    std::string_view v22Id;
    std::string_view id;
};

constexpr std::array<WantedFrame, 6> kWantedFrames = {{
    {"TT2", "TIT2"},
    {"TP1", "TPE1"},
    {"TP2", "TPE2"},
    {"TP3", "TPE3"},
    {"TCM", "TCOM"},
    {"TAL", "TALB"},
}};

constexpr std::size_t kTitleSlot = 0;
constexpr std::size_t kLeadArtistSlot = 1;
constexpr std::size_t kComposerSlot = 4;
constexpr std::size_t kAlbumSlot = 5;

using FieldSlots = std::array<std::optional<FieldText>, kWantedFrames.size()>;

struct TagHeader {
    int version = 0;
    unsigned flags = 0;
    std::size_t size = 0;  // Id3v2TagSize
};

struct FrameHeader {
    int slot = -1;  // of kWantedFrames, -1 for a frame that is not wanted
    std::size_t size = 0;
    unsigned flags = 0;
};

unsigned ByteAt(std::string_view data, std::size_t pos) {
    return static_cast<unsigned char>(data[pos]);
}

std::uint32_t ReadBigEndian(std::string_view data, std::size_t pos, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        value = value << 8 | ByteAt(data, pos + i);
    }
    return value;
}

bool IsSynchSafe(std::string_view data, std::size_t pos) {
    for (std::size_t i = 0; i < 4; ++i) {
        if ((ByteAt(data, pos + i) & 0x80) != 0) {
            return false;
        }
    }
    return true;
}

std::uint32_t ReadSynchSafe(std::string_view data, std::size_t pos) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = value << 7 | (ByteAt(data, pos + i) & 0x7F);
    }
    return value;
}

// A header or footer: `magic`, a version from 2 to 4, a revision other than 0xFF, flags and a
// synch-safe size.
bool IsTagHeader(std::string_view header, std::string_view magic) {
    if (header.size() < kId3v2HeaderSize || header.substr(0, 3) != magic) {
        return false;
    }
    const unsigned version = ByteAt(header, 3);
    return version >= 2 && version <= 4 && ByteAt(header, 4) != 0xFF && IsSynchSafe(header, 6);
}

bool IsFrameId(std::string_view id) {
    if (id.size() != 3 && id.size() != 4) {
        return false;
    }
    for (const char c : id) {
        if ((c < 'A' || c > 'Z') && (c < '0' || c > '9')) {
            return false;
        }
    }
    return true;
}

std::size_t FrameHeaderSize(int version) {
    return version == 2 ? 6 : 10;
}

// True when `pos` is where a frame, the padding or the end of the frames may begin.
bool IsFrameBoundary(TagBody& body, std::size_t pos) {
    if (pos >= body.Limit()) {
        return pos == body.Limit();
    }
    const std::string_view start = body.Read(pos, 4);
    return start[0] == '\0' || (start.size() == 4 && IsFrameId(start));
}

// ID3v2.4 frame sizes are synch-safe, but some taggers wrote plain ones; of the two readings,
// the one that lands on the next frame wins. Only ID3v2.4 bodies are plain, so the look
// ahead may read anywhere in them.
std::size_t FrameSizeV24(TagBody& body, std::size_t pos, std::string_view header) {
    const std::uint32_t plain = ReadBigEndian(header, 4, 4);
    if (!IsSynchSafe(header, 4)) {
        return plain;
    }
    const std::uint32_t synchSafe = ReadSynchSafe(header, 4);
    if (synchSafe == plain || IsFrameBoundary(body, pos + 10 + synchSafe) ||
        !IsFrameBoundary(body, pos + 10 + plain)) {
        return synchSafe;
    }
    return plain;
}

int WantedSlot(std::string_view id) {
    for (std::size_t i = 0; i < kWantedFrames.size(); ++i) {
        if (id == (id.size() == 3 ? kWantedFrames[i].v22Id : kWantedFrames[i].id)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// The id of the frame whose header is `header`. Some taggers wrote ID3v2.2 ids, padded with a
// NUL, into ID3v2.3 tags.
std::string_view FrameId(std::string_view header, int version) {
    std::string_view id = header.substr(0, version == 2 ? 3 : 4);
    if (version == 3 && id.size() == 4 && id[3] == '\0') {
        id.remove_suffix(1);
    }
    return id;
}

// The header of the frame at `pos`, or nothing when no valid frame starts there or the frame
// reaches past the tag.
std::optional<FrameHeader> ReadFrameHeader(TagBody& body, std::size_t pos, int version) {
    const std::size_t headerSize = FrameHeaderSize(version);
    // A copy: the look ahead of FrameSizeV24 moves the body's window.
    const std::string header(body.Read(pos, headerSize));
    if (header.size() < headerSize || header[0] == '\0') {
        return std::nullopt;
    }
    const std::string_view id = FrameId(header, version);
    FrameHeader frame;
    if (version == 2) {
        frame.size = ReadBigEndian(header, 3, 3);
    } else {
        frame.size = version == 3 ? ReadBigEndian(header, 4, 4) : FrameSizeV24(body, pos, header);
        frame.flags = ByteAt(header, 9);
    }
    if (!IsFrameId(id) || frame.size > body.Limit() - pos - headerSize) {
        return std::nullopt;
    }
    frame.slot = WantedSlot(id);
    return frame;
}

// True when a whole frame header stands at `pos` but its id is not valid ("Date"): the kind
// of damage other readers step over.
bool HasInvalidFrameId(TagBody& body, std::size_t pos, int version) {
    const std::size_t headerSize = FrameHeaderSize(version);
    const std::string_view header = body.Read(pos, headerSize);
    return header.size() == headerSize && header[0] != '\0' && !IsFrameId(FrameId(header, version));
}

// Where the walk goes on after the frame header with an invalid id at `pos`: where its size
// says the next frame starts, when a valid frame header stands there, else the next position
// that holds one. The search costs `budget` a byte per position tried; nothing when it runs
// out or the tag ends first.
std::optional<std::size_t> NextFrameAfterInvalidId(TagBody& body, std::size_t pos, int version,
                                                   std::size_t& budget) {
    const std::size_t headerSize = FrameHeaderSize(version);
    const std::string header(body.Read(pos, headerSize));
    const std::size_t declared = version == 2   ? ReadBigEndian(header, 3, 3)
                                 : version == 3 ? ReadBigEndian(header, 4, 4)
                                                : ReadSynchSafe(header, 4);
    const std::size_t skipped = pos + headerSize + declared;
    if (declared <= body.Limit() - pos - headerSize && skipped < body.Limit() &&
        ReadFrameHeader(body, skipped, version)) {
        return skipped;
    }
    for (std::size_t next = pos + 1; budget > 0 && next + headerSize <= body.Limit();
         ++next, --budget) {
        if (ReadFrameHeader(body, next, version)) {
            return next;
        }
    }
    return std::nullopt;
}

// Where the frames start. An extended header is passed over; a tag that sets the flag
// without one (an encoder fault other readers forgive) shows it by a frame id where the
// header's size would stand, which no extended header can start with.
std::size_t FirstFramePosition(TagBody& body, const TagHeader& tag) {
    if (tag.version == 2 || (tag.flags & kTagExtendedHeader) == 0) {
        return 0;
    }
    const std::string_view start = body.Read(0, 4);
    if (start.size() < 4 || IsFrameId(start)) {
        return 0;
    }
    // ID3v2.3 counts the bytes after the size field, ID3v2.4 the whole extended header.
    return tag.version == 3 ? 4 + std::size_t{ReadBigEndian(start, 0, 4)} : ReadSynchSafe(start, 0);
}

// The title, the lead artist and the album found: no later frame can change a field.
bool HasAllFields(const FieldSlots& fields) {
    return fields[kTitleSlot] && fields[kLeadArtistSlot] && fields[kAlbumSlot];
}

// What the walk of one tag may still do.
struct WalkAllowance {
    std::size_t frames = kMaxFramesWalked;
    std::size_t decodes = kMaxFramesDecoded;
    std::size_t inflated = kMaxInflatedBytes;
    std::size_t searched = kMaxFrameSearchBytes;
};

// Where the first frame of each wanted id stands in the body: its header's position and its
// size, header included.
using FrameSpans =
    std::array<std::optional<std::pair<std::size_t, std::size_t>>, kWantedFrames.size()>;

// The fields of the tag, read up to the last wanted frame needed; with `spans`, up to the end
// of the tag, every wanted frame's place noted.
FieldSlots ReadFields(TagBody& body, const TagHeader& tag, FrameSpans* spans = nullptr) {
    const std::size_t headerSize = FrameHeaderSize(tag.version);
    // In ID3v2.4 the tag flag unsynchronises every frame; earlier versions undo it in the body.
    const bool framesUnsynchronised = tag.version == 4 && (tag.flags & kTagUnsynchronised) != 0;
    FieldSlots fields;
    WalkAllowance allowance;
    std::size_t pos = FirstFramePosition(body, tag);
    for (; allowance.frames > 0 && (spans != nullptr || !HasAllFields(fields));
         --allowance.frames) {
        const std::optional<FrameHeader> frame = ReadFrameHeader(body, pos, tag.version);
        if (!frame) {
            const std::optional<std::size_t> next =
                HasInvalidFrameId(body, pos, tag.version)
                    ? NextFrameAfterInvalidId(body, pos, tag.version, allowance.searched)
                    : std::nullopt;
            if (!next) {
                break;
            }
            pos = *next;
            continue;
        }
        const std::size_t dataPos = pos + headerSize;
        if (frame->slot >= 0 && !fields[frame->slot] && frame->size <= kMaxFrameRead) {
            if (allowance.decodes == 0) {
                break;
            }
            --allowance.decodes;
            const std::string_view data = body.Read(dataPos, frame->size);
            if (data.size() < frame->size) {
                break;  // the tag ends inside the frame
            }
            fields[frame->slot] = DecodeTextFrame(data, frame->flags, tag.version,
                                                  framesUnsynchronised, allowance.inflated);
            if (spans != nullptr) {
                (*spans)[frame->slot] = std::pair{pos, headerSize + frame->size};
            }
        }
        pos = dataPos + frame->size;
    }
    return fields;
}

// The first present of the lead performer, band, conductor and composer.
FieldText TakeArtist(FieldSlots& fields) {
    for (std::size_t slot = kLeadArtistSlot; slot <= kComposerSlot; ++slot) {
        if (fields[slot]) {
            return std::move(*fields[slot]);
        }
    }
    return {};
}

FieldText Take(std::optional<FieldText>& field) {
    return field ? std::move(*field) : FieldText{};
}

}  // namespace

std::size_t Id3v2TagSize(std::string_view header) {
    if (!IsTagHeader(header, "ID3")) {
        return 0;
    }
    return kId3v2HeaderSize + ReadSynchSafe(header, 6);
}

std::optional<std::size_t> FindAppendedId3v2Tag(const ByteSource& file) {
    const std::size_t fileSize = file.Size();
    std::array<std::size_t, 2> footerEnds = {fileSize, 0};
    if (fileSize >= kId3v1Size && file.Read(fileSize - kId3v1Size, 3) == "TAG") {
        footerEnds[1] = fileSize - kId3v1Size;
    }
    for (const std::size_t end : footerEnds) {
        if (end < 2 * kId3v2HeaderSize) {
            continue;
        }
        const std::string footer = file.Read(end - kId3v2HeaderSize, kId3v2HeaderSize);
        if (!IsTagHeader(footer, "3DI") || ByteAt(footer, 3) != 4) {
            continue;
        }
        const std::size_t tagSize = kId3v2HeaderSize + ReadSynchSafe(footer, 6);
        if (tagSize + kId3v2HeaderSize > end) {
            continue;
        }
        const std::size_t start = end - kId3v2HeaderSize - tagSize;
        const std::string header = file.Read(start, kId3v2HeaderSize);
        if (Id3v2TagSize(header) == tagSize && ByteAt(header, 3) == 4) {
            return start;
        }
    }
    return std::nullopt;
}

TrackTags ReadId3v2Tag(const ByteSource& file, std::size_t start) {
    const std::string header = file.Read(start, kId3v2HeaderSize);
    const std::size_t size = Id3v2TagSize(header);
    if (size == 0) {
        return {};
    }
    const TagHeader tag{static_cast<int>(ByteAt(header, 3)), ByteAt(header, 5), size};
    // No compression scheme was ever defined for ID3v2.2 tags; such a tag cannot be read.
    if (tag.version == 2 && (tag.flags & kTagExtendedHeader) != 0) {
        return {};
    }
    const bool bodyUnsynchronised = tag.version < 4 && (tag.flags & kTagUnsynchronised) != 0;
    TagBody body(file, start + kId3v2HeaderSize, tag.size - kId3v2HeaderSize, bodyUnsynchronised);
    FieldSlots fields = ReadFields(body, tag);
    FieldText title = Take(fields[kTitleSlot]);
    FieldText artist = TakeArtist(fields);
    FieldText album = Take(fields[kAlbumSlot]);
    return {std::move(title.text), std::move(artist.text), std::move(album.text),
            title.origin,          artist.origin,          album.origin};
}

std::optional<Id3v2TextFrames> ReadId3v2TextFrames(const ByteSource& file) {
    const std::string header = file.Read(0, kId3v2HeaderSize);
    const std::size_t size = Id3v2TagSize(header);
    if (size == 0) {
        return std::nullopt;
    }
    const TagHeader tag{static_cast<int>(ByteAt(header, 3)), ByteAt(header, 5), size};
    if (tag.version == 2 && (tag.flags & kTagExtendedHeader) != 0) {
        return std::nullopt;
    }
    const bool bodyUnsynchronised = tag.version < 4 && (tag.flags & kTagUnsynchronised) != 0;
    TagBody body(file, kId3v2HeaderSize, tag.size - kId3v2HeaderSize, bodyUnsynchronised);
    FrameSpans spans;
    FieldSlots fields = ReadFields(body, tag, &spans);
    Id3v2TextFrames frames;
    frames.version = tag.version;
    frames.flags = tag.flags;
    frames.tagSize = tag.size;
    const auto frameOf = [&](std::size_t slot) -> std::optional<Id3v2TextFrame> {
        if (!spans[slot]) {
            return std::nullopt;
        }
        return Id3v2TextFrame{kId3v2HeaderSize + spans[slot]->first, spans[slot]->second,
                              std::move(fields[slot])};
    };
    frames.title = frameOf(kTitleSlot);
    frames.leadArtist = frameOf(kLeadArtistSlot);
    frames.band = frameOf(kLeadArtistSlot + 1);
    frames.album = frameOf(kAlbumSlot);
    return frames;
}
