#include "asfmeta/asfreader.h"

#include <taglib/asffile.h>
#include <taglib/asftag.h>

#include <algorithm>

#include "asfmeta/readonlyfilestream.h"

namespace asfmeta {
namespace {

std::u16string ToUtf16(const TagLib::String& text) {
    const TagLib::ByteVector bytes = text.data(TagLib::String::UTF16LE);
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto low = static_cast<unsigned char>(bytes[static_cast<unsigned int>(2 * i)]);
        const auto high = static_cast<unsigned char>(bytes[static_cast<unsigned int>(2 * i + 1)]);
        units[i] = static_cast<char16_t>(low | high << 8);
    }
    return units;
}

AsfAttribute StringAttribute(std::u16string text) {
    AsfAttribute attribute;
    attribute.type = AsfType::String;
    attribute.length = (text.size() + 1) * sizeof(char16_t);
    attribute.text = std::move(text);
    return attribute;
}

std::optional<AsfAttribute> ContentDescriptionText(const TagLib::String& text) {
    if (text.isEmpty()) {
        return std::nullopt;
    }
    return StringAttribute(ToUtf16(text));
}

AsfAttribute Convert(const TagLib::ASF::Attribute& stored) {
    using Stored = TagLib::ASF::Attribute;
    AsfAttribute attribute;
    switch (stored.type()) {
        case Stored::UnicodeType:
            return StringAttribute(ToUtf16(stored.toString()));
        case Stored::DWordType:
            attribute.type = AsfType::DWord;
            attribute.length = 4;
            attribute.number = stored.toUInt();
            break;
        case Stored::QWordType:
            attribute.type = AsfType::QWord;
            attribute.length = 8;
            attribute.number = stored.toULongLong();
            break;
        default:
            attribute.length = static_cast<std::size_t>(std::max(stored.dataSize(), 0));
            break;
    }
    return attribute;
}

}  // namespace

struct AsfReader::Private {
    // Declared before the file, so that the file, which reads through it, goes first.
    std::unique_ptr<ReadOnlyFileStream> stream;
    std::unique_ptr<TagLib::ASF::File> file;
};

AsfReader::AsfReader() : d(std::make_unique<Private>()) {}

AsfReader::~AsfReader() = default;

bool AsfReader::Open(const std::string& path) {
    Close();
    d->stream = std::make_unique<ReadOnlyFileStream>(path);
    if (!d->stream->isOpen()) {
        Close();
        return false;
    }
    // Only the attributes are wanted, not the audio properties.
    d->file = std::make_unique<TagLib::ASF::File>(d->stream.get(), false);
    if (!d->file->isValid()) {
        Close();
        return false;
    }
    return true;
}

void AsfReader::Close() {
    d->file.reset();
    d->stream.reset();
}

std::optional<AsfAttribute> AsfReader::GetAttributeByName(std::string_view name) const {
    if (!d->file) {
        return std::nullopt;
    }
    const TagLib::ASF::Tag& tag = *d->file->tag();
    if (name == "Title") {
        return ContentDescriptionText(tag.title());
    }
    if (name == "Author") {
        return ContentDescriptionText(tag.artist());
    }
    const TagLib::String key(std::string(name), TagLib::String::UTF8);
    const TagLib::ASF::AttributeListMap& attributes = tag.attributeListMap();
    const auto found = attributes.find(key);
    if (found == attributes.end()) {
        return std::nullopt;
    }
    // Stream 0 holds the file-level attributes; others belong to one stream.
    for (const TagLib::ASF::Attribute& stored : found->second) {
        if (stored.stream() == 0) {
            return Convert(stored);
        }
    }
    return std::nullopt;
}

}  // namespace asfmeta
