#include "organizer/id3v2textframes.h"

#define ZLIB_CONST
#include <zlib.h>

#include <array>
#include <cstdint>
#include <optional>

namespace {

// A name is made of a few dozen bytes. The bound keeps a damaged frame from carrying megabytes
// into the names, and a small compressed frame from inflating without end.
constexpr std::size_t kMaxFieldSize = 64 * 1024;

// Tag header flags.
constexpr unsigned kTagUnsynchronised = 0x80;
constexpr unsigned kTagExtendedHeader = 0x40;  // in ID3v2.2: the whole tag compressed

// Frame format flags (the second flag byte) of ID3v2.3 ...
constexpr unsigned kV3Compressed = 0x80;
constexpr unsigned kV3Encrypted = 0x40;
constexpr unsigned kV3Grouped = 0x20;
// ... and of ID3v2.4.
constexpr unsigned kV4Grouped = 0x40;
constexpr unsigned kV4Compressed = 0x08;
constexpr unsigned kV4Encrypted = 0x04;
constexpr unsigned kV4Unsynchronised = 0x02;
constexpr unsigned kV4DataLength = 0x01;

// Text encodings: 0 ISO-8859-1, 1 UTF-16 with a byte order mark, 2 UTF-16BE, 3 UTF-8.
constexpr unsigned kUtf16 = 1;
constexpr unsigned kLastEncoding = 3;

struct WantedFrame {
    std::string_view v22Id;
    std::string_view id;
};

constexpr std::array<WantedFrame, 6> kWantedFrames = {{
    {"TT2", kTitleFrame},
    {"TP1", kLeadArtistFrame},
    {"TP2", kBandFrame},
    {"TP3", kConductorFrame},
    {"TCM", kComposerFrame},
    {"TAL", kAlbumFrame},
}};

constexpr std::size_t kTitleSlot = 0;
constexpr std::size_t kLeadArtistSlot = 1;
constexpr std::size_t kAlbumSlot = 5;

using FieldSlots = std::array<std::optional<std::string>, kWantedFrames.size()>;

struct FrameHeader {
    std::string_view id;
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

void AppendSynchSafe(std::string& out, std::uint32_t value) {
    for (int shift = 21; shift >= 0; shift -= 7) {
        out += static_cast<char>(value >> shift & 0x7F);
    }
}

// Undoes unsynchronisation: every 0xFF 0x00 pair loses its 0x00.
std::string RemoveUnsynchronisation(std::string_view data) {
    std::string out;
    out.reserve(data.size());
    for (std::size_t i = 0; i < data.size(); ++i) {
        out += data[i];
        if (ByteAt(data, i) == 0xFF && i + 1 < data.size() && data[i + 1] == '\0') {
            ++i;
        }
    }
    return out;
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

// True when `pos` is where a frame, the padding or the end of the frames may begin.
bool IsFrameBoundary(std::string_view body, std::size_t pos) {
    if (pos >= body.size()) {
        return pos == body.size();
    }
    return body[pos] == '\0' || (body.size() - pos >= 4 && IsFrameId(body.substr(pos, 4)));
}

// ID3v2.4 frame sizes are synch-safe, but some taggers wrote plain ones; of the two readings,
// the one that lands on the next frame wins.
std::size_t FrameSizeV24(std::string_view body, std::size_t pos) {
    const std::uint32_t plain = ReadBigEndian(body, pos + 4, 4);
    if (!IsSynchSafe(body, pos + 4)) {
        return plain;
    }
    const std::uint32_t synchSafe = ReadSynchSafe(body, pos + 4);
    if (synchSafe == plain || IsFrameBoundary(body, pos + 10 + synchSafe) ||
        !IsFrameBoundary(body, pos + 10 + plain)) {
        return synchSafe;
    }
    return plain;
}

// The header of the frame at `pos`, or nothing when no valid frame starts there.
std::optional<FrameHeader> ReadFrameHeader(std::string_view body, std::size_t pos, int version) {
    FrameHeader frame;
    const std::size_t headerSize = version == 2 ? 6 : 10;
    if (version == 2) {
        frame.id = body.substr(pos, 3);
        frame.size = ReadBigEndian(body, pos + 3, 3);
    } else {
        frame.id = body.substr(pos, 4);
        frame.size = version == 3 ? ReadBigEndian(body, pos + 4, 4) : FrameSizeV24(body, pos);
        frame.flags = ByteAt(body, pos + 9);
        // Some taggers wrote ID3v2.2 ids, padded with a NUL, into ID3v2.3 tags.
        if (version == 3 && frame.id[3] == '\0') {
            frame.id = frame.id.substr(0, 3);
        }
    }
    if (!IsFrameId(frame.id) || frame.size > body.size() - pos - headerSize) {
        return std::nullopt;
    }
    return frame;
}

int WantedSlot(std::string_view id) {
    for (std::size_t i = 0; i < kWantedFrames.size(); ++i) {
        if (id == (id.size() == 3 ? kWantedFrames[i].v22Id : kWantedFrames[i].id)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Where the frames start after an extended header; the end of `body` when it does not fit.
std::size_t SkipExtendedHeader(std::string_view body, int version) {
    if (body.size() < 4) {
        return body.size();
    }
    // ID3v2.3 counts the bytes after the size field, ID3v2.4 the whole extended header.
    const std::size_t size =
        version == 3 ? 4 + std::size_t{ReadBigEndian(body, 0, 4)} : ReadSynchSafe(body, 0);
    return size <= body.size() ? size : body.size();
}

// Inflates a zlib stream; nothing when it is damaged, cut short or inflates beyond the bound.
std::optional<std::string> Inflate(std::string_view data) {
    std::string out(kMaxFieldSize + 1, '\0');
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        return std::nullopt;
    }
    stream.next_in = reinterpret_cast<const Bytef*>(data.data());
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&stream, Z_FINISH);
    const std::size_t produced = out.size() - stream.avail_out;
    inflateEnd(&stream);
    if (result != Z_STREAM_END || produced > kMaxFieldSize) {
        return std::nullopt;
    }
    out.resize(produced);
    return out;
}

bool IsIdeograph(unsigned unit) {
    return unit >= 0x4E00 && unit <= 0x9FFF;
}

// Guesses the byte order of UTF-16 text without a mark. ASCII characters betray it by their
// zero byte; without them the order that reads more CJK ideographs wins. Little-endian, what
// Windows taggers wrote, on a tie.
bool LooksBigEndian(std::string_view text) {
    int zeroFirst = 0;
    int zeroSecond = 0;
    int ideographsBig = 0;
    int ideographsLittle = 0;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        const unsigned first = ByteAt(text, i);
        const unsigned second = ByteAt(text, i + 1);
        if (first == 0 && second == 0) {
            break;
        }
        zeroFirst += first == 0 ? 1 : 0;
        zeroSecond += second == 0 ? 1 : 0;
        ideographsBig += IsIdeograph(first << 8 | second) ? 1 : 0;
        ideographsLittle += IsIdeograph(second << 8 | first) ? 1 : 0;
    }
    if (zeroFirst != zeroSecond) {
        return zeroFirst > zeroSecond;
    }
    return ideographsBig > ideographsLittle;
}

// UTF-16 text must start with a byte order mark, and TagLib reads nothing from text without
// one; some taggers left it out, so one is put in.
void AddByteOrderMark(std::string& field) {
    if (ByteAt(field, 0) != kUtf16 || field.size() < 3) {
        return;
    }
    const unsigned mark = ByteAt(field, 1) << 8 | ByteAt(field, 2);
    if (mark == 0xFEFF || mark == 0xFFFE) {
        return;
    }
    const bool bigEndian = LooksBigEndian(std::string_view(field).substr(1));
    field.insert(1, bigEndian ? "\xFE\xFF" : "\xFF\xFE");
}

// The plain field bytes (encoding byte and text) of a frame, or nothing when they cannot be
// read or are no text a name can be made of.
std::optional<std::string> ReadFieldData(std::string_view data, unsigned flags, int version,
                                         bool tagUnsynchronised) {
    std::string unsynchronised;
    bool compressed = false;
    std::size_t prefix = 0;
    if (version == 3) {
        if ((flags & kV3Encrypted) != 0) {
            return std::nullopt;
        }
        compressed = (flags & kV3Compressed) != 0;
        prefix = (compressed ? 4 : 0) + ((flags & kV3Grouped) != 0 ? 1 : 0);
    } else if (version == 4) {
        if ((flags & kV4Encrypted) != 0) {
            return std::nullopt;
        }
        if ((flags & kV4Unsynchronised) != 0 || tagUnsynchronised) {
            unsynchronised = RemoveUnsynchronisation(data);
            data = unsynchronised;
        }
        compressed = (flags & kV4Compressed) != 0;
        // A compressed frame must carry its data length; taggers that set only the compression
        // flag still wrote the four bytes.
        prefix = ((flags & kV4Grouped) != 0 ? 1 : 0) +
                 (compressed || (flags & kV4DataLength) != 0 ? 4 : 0);
    }
    if (prefix > data.size()) {
        return std::nullopt;
    }
    data.remove_prefix(prefix);
    std::optional<std::string> field;
    if (compressed) {
        field = Inflate(data);
    } else if (data.size() <= kMaxFieldSize) {
        field = std::string(data);
    }
    if (!field || field->empty() || ByteAt(*field, 0) > kLastEncoding) {
        return std::nullopt;
    }
    AddByteOrderMark(*field);
    return field;
}

// An ID3v2.4 tag, the version TagLib reads without converting frames.
std::string RenderTag(const FieldSlots& fields) {
    std::string frames;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i]) {
            frames += kWantedFrames[i].id;
            AppendSynchSafe(frames, static_cast<std::uint32_t>(fields[i]->size()));
            frames.append(2, '\0');
            frames += *fields[i];
        }
    }
    if (frames.empty()) {
        return {};
    }
    std::string tag("ID3\x04\x00\x00", 6);
    AppendSynchSafe(tag, static_cast<std::uint32_t>(frames.size()));
    return tag + frames;
}

}  // namespace

std::size_t Id3v2TagSize(std::string_view header) {
    if (header.size() < kId3v2HeaderSize || header.substr(0, 3) != "ID3") {
        return 0;
    }
    const unsigned version = ByteAt(header, 3);
    if (version < 2 || version > 4 || ByteAt(header, 4) == 0xFF || !IsSynchSafe(header, 6)) {
        return 0;
    }
    return kId3v2HeaderSize + ReadSynchSafe(header, 6);
}

Id3v2TextFrames ExtractTextFrames(std::string_view tag) {
    const std::size_t tagSize = Id3v2TagSize(tag);
    if (tagSize == 0) {
        return {};
    }
    const int version = static_cast<int>(ByteAt(tag, 3));
    const unsigned flags = ByteAt(tag, 5);
    // No compression scheme was ever defined for ID3v2.2 tags; such a tag cannot be read.
    if (version == 2 && (flags & kTagExtendedHeader) != 0) {
        return {};
    }
    std::string_view body = tag.substr(kId3v2HeaderSize, tagSize - kId3v2HeaderSize);
    const bool unsynchronised = (flags & kTagUnsynchronised) != 0;
    std::string decoded;
    if (unsynchronised && version < 4) {
        decoded = RemoveUnsynchronisation(body);
        body = decoded;
    }
    std::size_t pos = 0;
    if (version > 2 && (flags & kTagExtendedHeader) != 0) {
        pos = SkipExtendedHeader(body, version);
    }
    const std::size_t headerSize = version == 2 ? 6 : 10;
    FieldSlots fields;
    while (body.size() - pos >= headerSize && body[pos] != '\0') {
        const std::optional<FrameHeader> frame = ReadFrameHeader(body, pos, version);
        if (!frame) {
            break;
        }
        const int slot = WantedSlot(frame->id);
        if (slot >= 0 && !fields[slot]) {
            fields[slot] = ReadFieldData(body.substr(pos + headerSize, frame->size), frame->flags,
                                         version, unsynchronised);
        }
        pos += headerSize + frame->size;
    }
    return {RenderTag(fields), fields[kTitleSlot] && fields[kLeadArtistSlot] && fields[kAlbumSlot]};
}
