#include "organizer/tagrepair.h"

#include <algorithm>
#include <exception>

#include "organizer/aperepair.h"
#include "organizer/filebytes.h"
#include "organizer/flacrepair.h"
#include "organizer/id3v2tag.h"
#include "organizer/oggrepair.h"
#include "organizer/repairreading.h"
#include "organizer/tagreader.h"
#include "platform/codepage.h"

namespace {

constexpr unsigned kUnsynchronisedFlag = 0x80;
constexpr unsigned kExtendedHeaderFlag = 0x40;
constexpr unsigned kFooterFlag = 0x10;

std::string BigEndian(std::size_t value, int bytes, int bitsPerByte) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) {
        out += static_cast<char>((value >> (i * bitsPerByte)) & ((1u << bitsPerByte) - 1));
    }
    return out;
}

// A text frame of an ID3v2.3 tag (UTF-16 with a byte order mark) or an ID3v2.4 tag (UTF-8).
std::string TextFrame(std::string_view id, const std::string& cp936, int version) {
    std::string data;
    if (version == 4) {
        data = "\x03" + codepage::Cp936ToUtf8(cp936);
    } else {
        data = "\x01\xFF\xFE";
        for (const char16_t unit : codepage::Cp936ToUtf16Uncached(cp936)) {
            data += static_cast<char>(unit & 0xFF);
            data += static_cast<char>(unit >> 8);
        }
    }
    return std::string(id) + BigEndian(data.size(), 4, version == 4 ? 7 : 8) +
           std::string(2, '\0') + data;
}

// The header of the tag `old` starts with (a new ID3v2.3 tag where it starts with none), for
// a tag of `size` bytes.
std::string TagHeader(std::string_view old, std::size_t size) {
    const std::string start =
        old.empty() ? std::string("ID3\x03\x00\x00", 6) : std::string(old.substr(0, 6));
    return start + BigEndian(size - kId3v2HeaderSize, 4, 7);
}

// A field of the file: its ID3v2 frame where the tag has one, else its ID3v1 field.
struct Field {
    const char* name;
    const char* id;
    const std::optional<Id3v2TextFrame>* frame;
    const std::string* id3v1;  // null for a field ID3v1 lacks
};

}  // namespace

std::optional<TagRewrite> PlanTagRepair(const ByteSource& file, const ChineseConverter& converter) {
    TrackTags id3v1;
    TrackTags id3v2;
    ReadMp3Tags(file, id3v1, id3v2);
    std::optional<Id3v2TextFrames> tag = ReadId3v2TextFrames(file);
    if (!tag && FindAppendedId3v2Tag(file)) {
        return std::nullopt;  // a tag at the start would make it two
    }
    Id3v2TextFrames frames;
    frames.version = 3;  // of the tag a file without one gets
    if (tag) {
        frames = std::move(*tag);
    }
    const unsigned refused = frames.version == 4
                                 ? kExtendedHeaderFlag | kFooterFlag | kUnsynchronisedFlag
                                 : kExtendedHeaderFlag | kUnsynchronisedFlag;
    if (frames.version == 2 || (frames.flags & refused) != 0 || frames.tagSize > kMaxRepairedTag ||
        frames.tagSize > file.Size()) {
        return std::nullopt;
    }
    const Field fields[] = {{"title", "TIT2", &frames.title, &id3v1.title},
                            {"artist", "TPE1", &frames.leadArtist, &id3v1.artist},
                            {"band", "TPE2", &frames.band, nullptr},
                            {"album", "TALB", &frames.album, &id3v1.album}};
    const std::string region = file.Read(0, frames.tagSize);
    TagRewrite rewrite;
    std::vector<TagSpan> removed;
    std::string newFrames;
    for (const Field& field : fields) {
        const std::optional<Id3v2TextFrame>& frame = *field.frame;
        std::optional<RepairReading> reading;
        if (frame && frame->text) {
            reading = RepairReadingOf(*frame->text, converter);
        } else if (!frame && field.id3v1 != nullptr) {
            reading = RepairReadingOf(FieldText{*field.id3v1, TextOrigin::EightBit}, converter);
        }
        if (!reading) {
            continue;
        }
        if (frame) {
            removed.push_back({frame->offset, region.substr(frame->offset, frame->size)});
        }
        newFrames += TextFrame(field.id, reading->repaired, frames.version);
        rewrite.fields.push_back(
            {field.name, std::move(reading->shown), codepage::Cp936ToUtf8(reading->repaired)});
    }
    if (rewrite.fields.empty()) {
        return std::nullopt;
    }
    std::sort(removed.begin(), removed.end(),
              [](const TagSpan& a, const TagSpan& b) { return a.offset < b.offset; });
    if (!region.empty()) {
        removed.insert(removed.begin(), TagSpan{0, region.substr(0, kId3v2HeaderSize)});
    }
    // In place where the padding takes the new frames; else a tag that grows.
    if (!region.empty()) {
        std::vector<TagSpan> inserted = {{0, TagHeader(region, region.size()) + newFrames}};
        if (std::optional<TagEdit> edit = MakeTagEdit(region, removed, inserted, region.size())) {
            rewrite.edit = std::move(*edit);
            return rewrite;
        }
    }
    std::size_t kept = region.size();
    for (const TagSpan& span : removed) {
        kept -= span.bytes.size();
    }
    const std::size_t size = kId3v2HeaderSize + newFrames.size() + kept + kRepairPadding;
    std::vector<TagSpan> inserted = {{0, TagHeader(region, size) + newFrames}};
    std::optional<TagEdit> edit =
        MakeTagEdit(region, std::move(removed), std::move(inserted), size);
    if (!edit) {
        return std::nullopt;
    }
    rewrite.edit = std::move(*edit);
    return rewrite;
}

std::optional<TagRewrite> PlanTagRepair(const std::string& path, AudioFormat format,
                                        const ChineseConverter& converter) {
    try {
        if (format == AudioFormat::Mp3) {
            return PlanTagRepair(FileBytes(path, 0, 0), converter);
        }
        if (format == AudioFormat::Flac) {
            return PlanFlacTagRepair(FileBytes(path, 0, 0), converter);
        }
        if (format == AudioFormat::Ogg) {
            return PlanOggTagRepair(FileBytes(path, 0, 0), converter);
        }
        if (format == AudioFormat::Ape || format == AudioFormat::WavPack) {
            return PlanApeTagRepair(FileBytes(path, 0, 0), converter);
        }
        return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;  // a file that cannot be read gets no repair
    }
}
