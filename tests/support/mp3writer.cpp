#include "tests/support/mp3writer.h"

#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <stdexcept>

namespace {

constexpr std::size_t kId3v1FieldSize = 30;
// MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, mono, no CRC: 417 bytes a frame.
constexpr char kAudioFrameHeader[] = "\xFF\xFB\x90\xC4";
constexpr std::size_t kAudioFrameSize = 417;

void AppendBigEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out += static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

void AppendSynchSafe(std::string& out, std::uint32_t value) {
    for (int shift = 21; shift >= 0; shift -= 7) {
        out += static_cast<char>(value >> shift & 0x7F);
    }
}

void AppendUtf16(std::string& out, std::u16string_view text, bool bigEndian) {
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
}

// Puts a 0x00 after every 0xFF that a reader could take for the start of a sync (a byte of
// 0xE0 or more, or 0x00, after it, or the end).
std::string Unsynchronise(std::string_view data) {
    std::string out;
    for (std::size_t i = 0; i < data.size(); ++i) {
        out += data[i];
        if (static_cast<unsigned char>(data[i]) == 0xFF &&
            (i + 1 == data.size() || static_cast<unsigned char>(data[i + 1]) >= 0xE0 ||
             data[i + 1] == '\0')) {
            out += '\0';
        }
    }
    return out;
}

std::string Compress(std::string_view data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
        throw std::runtime_error("zlib cannot compress the frame");
    }
    out.resize(size);
    return out;
}

std::string RenderFrame(const Id3v2Frame& frame, const Id3v2Tag& tag) {
    std::string out = frame.id;
    if (tag.version == 2) {
        AppendBigEndian(out, static_cast<std::uint32_t>(frame.fields.size()), 3);
        return out + frame.fields;
    }
    std::string data;
    unsigned char format = 0;
    if (frame.compressed) {
        const auto size = static_cast<std::uint32_t>(frame.fields.size());
        if (tag.version == 3) {
            AppendBigEndian(data, size, 4);
            format = 0x80;
        } else {
            AppendSynchSafe(data, size);
            format = 0x08 | 0x01;  // compressed, with its data length
        }
        data += Compress(frame.fields);
    } else {
        data = frame.fields;
    }
    if (tag.version == 4 && (frame.unsynchronised || tag.unsynchronised)) {
        data = Unsynchronise(data);
        format |= 0x02;
    }
    if (tag.version == 3) {
        AppendBigEndian(out, static_cast<std::uint32_t>(data.size()), 4);
    } else {
        AppendSynchSafe(out, static_cast<std::uint32_t>(data.size()));
    }
    out += '\0';
    out += static_cast<char>(format);
    return out + data;
}

std::string RenderId3v2(const Id3v2Tag& tag) {
    std::string body;
    if (tag.extendedHeader && tag.version == 3) {
        AppendBigEndian(body, 6, 4);  // the size after this field
        body.append(2, '\0');
        AppendBigEndian(body, static_cast<std::uint32_t>(tag.padding), 4);
    } else if (tag.extendedHeader && tag.version == 4) {
        AppendSynchSafe(body, 6);  // the whole extended header
        body += '\x01';            // one flag byte
        body += '\0';
    }
    for (const Id3v2Frame& frame : tag.frames) {
        body += RenderFrame(frame, tag);
    }
    body.append(tag.padding, '\0');
    if (tag.unsynchronised && tag.version < 4) {
        body = Unsynchronise(body);
    }
    unsigned char flags = tag.unsynchronised ? 0x80 : 0;
    if (tag.extendedHeader && tag.version > 2) {
        flags |= 0x40;
    }
    if (tag.footer) {
        flags |= 0x10;
    }
    std::string header;
    header += static_cast<char>(tag.version);
    header += '\0';
    header += static_cast<char>(flags);
    AppendSynchSafe(header, static_cast<std::uint32_t>(body.size()));
    return "ID3" + header + body + (tag.footer ? "3DI" + header : std::string());
}

void AppendId3v1Field(std::string& out, std::string_view text, std::size_t size, char fill) {
    const std::string_view kept = text.substr(0, size);
    out += kept;
    out.append(size - kept.size(), fill);
}

std::string RenderId3v1(const Id3v1Tag& tag) {
    std::string out = "TAG";
    AppendId3v1Field(out, tag.title, kId3v1FieldSize, tag.fill);
    AppendId3v1Field(out, tag.artist, kId3v1FieldSize, tag.fill);
    AppendId3v1Field(out, tag.album, kId3v1FieldSize, tag.fill);
    AppendId3v1Field(out, "2000", 4, tag.fill);
    AppendId3v1Field(out, "", kId3v1FieldSize, tag.fill);
    out += '\xFF';  // no genre
    return out;
}

}  // namespace

std::string Latin1Text(std::string_view bytes) {
    return std::string(1, '\0') + std::string(bytes);
}

std::string Utf16Text(std::u16string_view text, bool bigEndian, bool byteOrderMark) {
    std::string out(1, '\x01');
    if (byteOrderMark) {
        AppendUtf16(out, u"\uFEFF", bigEndian);
    }
    AppendUtf16(out, text, bigEndian);
    return out;
}

std::string Utf16BeText(std::u16string_view text) {
    std::string out(1, '\x02');
    AppendUtf16(out, text, true);
    return out;
}

std::string Utf8Text(std::string_view utf8) {
    return '\x03' + std::string(utf8);
}

Id3v2Frame PictureFrame(std::size_t imageSize) {
    std::string fields = Latin1Text("image/jpeg");
    fields += '\0';
    fields += '\x03';  // front cover
    fields += '\0';    // empty description
    const std::string jpegStart = "\xFF\xD8\xFF\xE0";
    for (std::size_t i = 0; i < imageSize; ++i) {
        fields += i < jpegStart.size() ? jpegStart[i] : static_cast<char>(i * 31 % 256);
    }
    return {"APIC", fields};
}

std::string RenderMp3(const Mp3Fixture& fixture) {
    const std::string id3v2 = fixture.id3v2 ? RenderId3v2(*fixture.id3v2) : std::string();
    std::string out = fixture.id3v2AtEnd ? std::string() : id3v2;
    for (int i = 0; i < fixture.audioFrames; ++i) {
        out.append(kAudioFrameHeader, 4);
        out.append(kAudioFrameSize - 4, '\0');
    }
    if (fixture.id3v2AtEnd) {
        out += id3v2;
    }
    if (fixture.id3v1) {
        out += RenderId3v1(*fixture.id3v1);
    }
    return out;
}

bool WriteMp3(const std::string& path, const Mp3Fixture& fixture) {
    const std::string bytes = RenderMp3(fixture);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}
