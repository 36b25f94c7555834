#include "tests/support/wmawriter.h"

#include <taglib/asffile.h>
#include <taglib/asftag.h>

#include <array>
#include <fstream>
#include <string_view>
#include <type_traits>

namespace {

using Bytes = std::vector<unsigned char>;

void PutLittleEndian(Bytes& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
}

// A GUID as ASF stores it: the first three fields little-endian, the last eight bytes as
// written. `text` is "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX".
void PutGuid(Bytes& out, std::string_view text) {
    const auto field = [&](std::size_t pos, std::size_t length) {
        return std::stoull(std::string(text.substr(pos, length)), nullptr, 16);
    };
    PutLittleEndian(out, field(0, 8), 4);
    PutLittleEndian(out, field(9, 4), 2);
    PutLittleEndian(out, field(14, 4), 2);
    for (const std::size_t pos : {19, 21, 24, 26, 28, 30, 32, 34}) {
        out.push_back(static_cast<unsigned char>(field(pos, 2)));
    }
}

// An object: GUID, 64-bit size including these 24 bytes, then the body.
Bytes AsfObject(std::string_view guid, const Bytes& body) {
    Bytes object;
    PutGuid(object, guid);
    PutLittleEndian(object, 24 + body.size(), 8);
    object.insert(object.end(), body.begin(), body.end());
    return object;
}

constexpr std::string_view kHeaderGuid = "75B22630-668E-11CF-A6D9-00AA0062CE6C";
constexpr std::string_view kFilePropertiesGuid = "8CABDCA1-A947-11CF-8EE4-00C00C205365";
constexpr std::string_view kStreamPropertiesGuid = "B7DC0791-A9B7-11CF-8EE6-00C00C205365";
constexpr std::string_view kHeaderExtensionGuid = "5FBF03B5-A92E-11CF-8EE3-00C00C205365";
constexpr std::string_view kReserved1Guid = "ABD3D211-A9BA-11CF-8EE6-00C00C205365";
constexpr std::string_view kDataGuid = "75B22636-668E-11CF-A6D9-00AA0062CE6C";
constexpr std::string_view kAudioMediaGuid = "F8699E40-5B4D-11CF-A8FD-00805F5C442B";
constexpr std::string_view kNoErrorCorrectionGuid = "20FB5700-5B55-11CF-A8FD-00805F5C442B";
constexpr std::string_view kFileIdGuid = "0B2F7A43-61C9-4D55-9A1B-5E3C2D8F6A10";

Bytes FileProperties() {
    Bytes body;
    PutGuid(body, kFileIdGuid);
    PutLittleEndian(body, 0, 8);       // file size, unknown
    PutLittleEndian(body, 0, 8);       // creation date
    PutLittleEndian(body, 0, 8);       // data packets
    PutLittleEndian(body, 0, 8);       // play duration
    PutLittleEndian(body, 0, 8);       // send duration
    PutLittleEndian(body, 0, 8);       // preroll
    PutLittleEndian(body, 2, 4);       // flags: seekable
    PutLittleEndian(body, 3200, 4);    // minimum packet size
    PutLittleEndian(body, 3200, 4);    // maximum packet size
    PutLittleEndian(body, 128000, 4);  // maximum bit rate
    return AsfObject(kFilePropertiesGuid, body);
}

Bytes StreamProperties() {
    Bytes format;                        // WAVEFORMATEX of WMA 2, 44.1 kHz stereo
    PutLittleEndian(format, 0x0161, 2);  // format tag
    PutLittleEndian(format, 2, 2);       // channels
    PutLittleEndian(format, 44100, 4);   // samples per second
    PutLittleEndian(format, 16000, 4);   // average bytes per second
    PutLittleEndian(format, 2973, 2);    // block align
    PutLittleEndian(format, 16, 2);      // bits per sample
    PutLittleEndian(format, 0, 2);       // extra bytes

    Bytes body;
    PutGuid(body, kAudioMediaGuid);
    PutGuid(body, kNoErrorCorrectionGuid);
    PutLittleEndian(body, 0, 8);  // time offset
    PutLittleEndian(body, format.size(), 4);
    PutLittleEndian(body, 0, 4);  // error correction data length
    PutLittleEndian(body, 1, 2);  // flags: stream number 1
    PutLittleEndian(body, 0, 4);  // reserved
    body.insert(body.end(), format.begin(), format.end());
    return AsfObject(kStreamPropertiesGuid, body);
}

Bytes HeaderExtension() {
    Bytes body;
    PutGuid(body, kReserved1Guid);
    PutLittleEndian(body, 6, 2);  // reserved
    PutLittleEndian(body, 0, 4);  // no extension objects
    return AsfObject(kHeaderExtensionGuid, body);
}

Bytes EmptyData() {
    Bytes body;
    PutGuid(body, kFileIdGuid);
    PutLittleEndian(body, 0, 8);       // data packets
    PutLittleEndian(body, 0x0101, 2);  // reserved
    return AsfObject(kDataGuid, body);
}

TagLib::String Utf8(const std::string& text) {
    return {text, TagLib::String::UTF8};
}

TagLib::ASF::Attribute ToTagLib(const WmaValue& value) {
    return std::visit(
        [](const auto& v) -> TagLib::ASF::Attribute {
            using V = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<V, std::string>) {
                return TagLib::ASF::Attribute(Utf8(v));
            } else if constexpr (std::is_same_v<V, std::uint32_t>) {
                return TagLib::ASF::Attribute(static_cast<unsigned int>(v));
            } else if constexpr (std::is_same_v<V, std::uint64_t>) {
                return TagLib::ASF::Attribute(static_cast<unsigned long long>(v));
            } else if constexpr (std::is_same_v<V, std::uint16_t>) {
                return TagLib::ASF::Attribute(static_cast<unsigned short>(v));
            } else if constexpr (std::is_same_v<V, bool>) {
                return TagLib::ASF::Attribute(v);
            } else {
                return TagLib::ASF::Attribute(TagLib::ByteVector(
                    reinterpret_cast<const char*>(v.data()), static_cast<unsigned int>(v.size())));
            }
        },
        value);
}

bool IsContentDescription(const WmaAttribute& attribute) {
    return (attribute.name == "Title" || attribute.name == "Author") &&
           std::holds_alternative<std::string>(attribute.value);
}

}  // namespace

std::vector<unsigned char> MinimalAsfFile() {
    const std::array<Bytes, 3> objects{FileProperties(), StreamProperties(), HeaderExtension()};
    Bytes body;
    PutLittleEndian(body, objects.size(), 4);
    body.push_back(0x01);  // reserved, as every writer sets it
    body.push_back(0x02);
    for (const Bytes& object : objects) {
        body.insert(body.end(), object.begin(), object.end());
    }
    Bytes file = AsfObject(kHeaderGuid, body);
    const Bytes data = EmptyData();
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

bool WriteWmaAttributes(const std::string& path, const std::vector<WmaAttribute>& attributes) {
    {
        const Bytes bytes = MinimalAsfFile();
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            return false;
        }
    }
    if (attributes.empty()) {
        return true;
    }
    TagLib::ASF::File file(path.c_str(), false);
    if (!file.isValid()) {
        return false;
    }
    TagLib::ASF::Tag& tag = *file.tag();
    for (const WmaAttribute& attribute : attributes) {
        if (!IsContentDescription(attribute)) {
            tag.addAttribute(Utf8(attribute.name), ToTagLib(attribute.value));
        } else if (attribute.name == "Title") {
            tag.setTitle(Utf8(std::get<std::string>(attribute.value)));
        } else {
            tag.setArtist(Utf8(std::get<std::string>(attribute.value)));
        }
    }
    return file.save();
}

bool WriteWma(const std::string& path, const std::string& title, const std::string& author,
              const std::string& album) {
    std::vector<WmaAttribute> attributes;
    const auto add = [&attributes](const char* name, const std::string& text) {
        if (!text.empty()) {
            attributes.push_back({name, text});
        }
    };
    add("Title", title);
    add("Author", author);
    add("WM/AlbumTitle", album);
    return WriteWmaAttributes(path, attributes);
}
