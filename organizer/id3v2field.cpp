#include "organizer/id3v2field.h"

#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>

#include "platform/codepage.h"

namespace {

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

// Text encodings.
constexpr unsigned kLatin1 = 0;
constexpr unsigned kUtf16 = 1;  // with a byte order mark
constexpr unsigned kUtf16Be = 2;
constexpr unsigned kUtf8 = 3;

unsigned ByteAt(std::string_view data, std::size_t pos) {
    return static_cast<unsigned char>(data[pos]);
}

std::string RemoveUnsynchronisation(std::string_view data) {
    std::string out;
    out.reserve(data.size());
    AppendUndone(data, false, out);
    return out;
}

// Inflates a zlib stream; nothing when it is damaged, cut short or inflates beyond
// kMaxFieldSize or `allowance`. The bytes inflated, kept or not, are taken from `allowance`.
std::optional<std::string> Inflate(std::string_view data, std::size_t& allowance) {
    const std::size_t bound = std::min(kMaxFieldSize, allowance);
    std::string out(bound + 1, '\0');
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
    allowance -= std::min(produced, allowance);
    if (result != Z_STREAM_END || produced > bound) {
        return std::nullopt;
    }
    out.resize(produced);
    return out;
}

// The plain fields of a frame (encoding byte and text), or nothing when they cannot be read.
std::optional<std::string> PlainFields(std::string_view data, unsigned flags, int version,
                                       bool tagUnsynchronised, std::size_t& inflateAllowance) {
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
    if (compressed) {
        return Inflate(data, inflateAllowance);
    }
    if (data.size() > kMaxFieldSize) {
        return std::nullopt;
    }
    return std::string(data);
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

// The first string of UTF-16 text, up to its terminator, without a byte order mark. A mark
// decides the byte order; without one `bigEndian` is taken, or guessed when not given.
FieldText DecodeUtf16(std::string_view text, std::optional<bool> bigEndian) {
    if (text.size() >= 2) {
        const unsigned mark = ByteAt(text, 0) << 8 | ByteAt(text, 1);
        if (mark == 0xFEFF || mark == 0xFFFE) {
            bigEndian = mark == 0xFEFF;
            text.remove_prefix(2);
        }
    }
    const bool big = bigEndian.value_or(LooksBigEndian(text));
    std::u16string units;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        const unsigned first = ByteAt(text, i);
        const unsigned second = ByteAt(text, i + 1);
        const auto unit = static_cast<char16_t>(big ? first << 8 | second : second << 8 | first);
        if (unit == u'\0') {
            break;
        }
        units += unit;
    }
    return {codepage::Utf16ToCp936(units), TextOrigin::Unicode};
}

std::string_view UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

FieldText DecodeUtf8(std::string_view text) {
    text = UpToNul(text);
    if (text.starts_with("\xEF\xBB\xBF")) {  // a byte order mark some taggers put first
        text.remove_prefix(3);
    }
    return {codepage::Utf8ToCp936(text), TextOrigin::Unicode};
}

}  // namespace

bool AppendUndone(std::string_view raw, bool afterFF, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + raw.size());
    char* to = out.data() + start;
    for (const char byte : raw) {
        *to = byte;
        to += afterFF && byte == '\0' ? 0 : 1;
        afterFF = static_cast<unsigned char>(byte) == 0xFF;
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
    return afterFF;
}

std::optional<FieldText> DecodeTextFrame(std::string_view data, unsigned flags, int version,
                                         bool tagUnsynchronised, std::size_t& inflateAllowance) {
    const std::optional<std::string> fields =
        PlainFields(data, flags, version, tagUnsynchronised, inflateAllowance);
    if (!fields || fields->empty()) {
        return std::nullopt;
    }
    const std::string_view text = std::string_view(*fields).substr(1);
    switch (ByteAt(*fields, 0)) {
        case kLatin1:
            return FieldText{std::string(UpToNul(text)), TextOrigin::EightBit};
        case kUtf16:
            return DecodeUtf16(text, std::nullopt);
        case kUtf16Be:
            return DecodeUtf16(text, true);
        case kUtf8:
            return DecodeUtf8(text);
        default:
            return std::nullopt;
    }
}
