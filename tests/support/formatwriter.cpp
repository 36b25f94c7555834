#include "formatwriter.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/mp4file.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/tag.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavpackfile.h>

#include "tests/support/fileio.h"

namespace {

const char* FileNameOf(Sample sample) {
    switch (sample) {
        case Sample::Flac:
            return "silence.flac";
        case Sample::OggVorbis:
            return "silence.ogg";
        case Sample::Opus:
            return "silence.opus";
        case Sample::OggFlac:
            return "silence.oga";
        case Sample::M4a:
            return "silence.m4a";
        case Sample::Mp4Video:
            return "black.mp4";
        case Sample::WavPack:
            break;
    }
    return "silence.wv";
}

// The file as its format's own class: the extension of a test's copy may say nothing.
std::unique_ptr<TagLib::File> OpenAs(Sample sample, const char* path) {
    switch (sample) {
        case Sample::Flac:
            return std::make_unique<TagLib::FLAC::File>(path, false);
        case Sample::OggVorbis:
            return std::make_unique<TagLib::Ogg::Vorbis::File>(path, false);
        case Sample::Opus:
            return std::make_unique<TagLib::Ogg::Opus::File>(path, false);
        case Sample::OggFlac:
            return std::make_unique<TagLib::Ogg::FLAC::File>(path, false);
        case Sample::M4a:
        case Sample::Mp4Video:
            return std::make_unique<TagLib::MP4::File>(path, false);
        case Sample::WavPack:
            break;
    }
    return std::make_unique<TagLib::WavPack::File>(path, false);
}

TagLib::String TextOf(const std::string& text, Stored stored) {
    return stored == Stored::Utf8 ? TagLib::String(text, TagLib::String::UTF8)
                                  : TagLib::String(text, TagLib::String::Latin1);
}

void AppendLittleEndian32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

std::string FlacBlock(unsigned type, const std::string& body) {
    const auto length = static_cast<std::uint32_t>(body.size());
    return std::string{static_cast<char>(type), static_cast<char>(length >> 16 & 0xFF),
                       static_cast<char>(length >> 8 & 0xFF), static_cast<char>(length & 0xFF)} +
           body;
}

}  // namespace

bool WriteSample(const std::string& path, Sample sample, const std::string& title,
                 const std::string& artist, Stored stored) {
    std::error_code error;
    std::filesystem::copy_file(
        std::filesystem::path(SORTUNE_TESTDATA) / "formats" / FileNameOf(sample), path,
        std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        return false;
    }
    const std::unique_ptr<TagLib::File> file = OpenAs(sample, path.c_str());
    if (!file->isValid() || file->tag() == nullptr) {
        return false;
    }
    if (!title.empty()) {
        file->tag()->setTitle(TextOf(title, stored));
    }
    if (!artist.empty()) {
        file->tag()->setArtist(TextOf(artist, stored));
    }
    return file->save();
}

std::string SampleBytes(const std::string& name) {
    return ReadFile(std::filesystem::path(SORTUNE_TESTDATA) / "formats" / name);
}

std::string ApeTagBytes(const std::vector<std::pair<std::string, std::string>>& items,
                        bool withHeader) {
    std::string body;
    for (const auto& [key, value] : items) {
        AppendLittleEndian32(body, static_cast<std::uint32_t>(value.size()));
        AppendLittleEndian32(body, 0);  // a text item
        body += key + '\0' + value;
    }
    const auto frame = [&](std::uint32_t flags) {
        std::string out = "APETAGEX";
        AppendLittleEndian32(out, 2000);
        AppendLittleEndian32(out, static_cast<std::uint32_t>(body.size() + 32));
        AppendLittleEndian32(out, static_cast<std::uint32_t>(items.size()));
        AppendLittleEndian32(out, flags);
        return out + std::string(8, '\0');
    };
    constexpr std::uint32_t kHasHeader = 0x80000000u;
    constexpr std::uint32_t kIsHeader = 0x20000000u;
    return withHeader ? frame(kHasHeader | kIsHeader) + body + frame(kHasHeader) : body + frame(0);
}

std::string FlacBytes(const std::vector<std::string>& fields, std::size_t padding,
                      std::size_t pictureSize) {
    const std::string sample = SampleBytes("silence.flac");
    // The sample's stream info comes first; its audio follows its last block.
    std::size_t pos = 4;
    std::string streamInfo;
    for (bool last = false; !last && pos + 4 <= sample.size();) {
        const auto flags = static_cast<unsigned char>(sample[pos]);
        const std::size_t length = static_cast<unsigned char>(sample[pos + 1]) << 16 |
                                   static_cast<unsigned char>(sample[pos + 2]) << 8 |
                                   static_cast<unsigned char>(sample[pos + 3]);
        if ((flags & 0x7F) == 0) {
            streamInfo = sample.substr(pos + 4, length);
        }
        last = (flags & 0x80) != 0;
        pos += 4 + length;
    }
    std::string comment;
    const std::string vendor = "tests";
    AppendLittleEndian32(comment, static_cast<std::uint32_t>(vendor.size()));
    comment += vendor;
    AppendLittleEndian32(comment, static_cast<std::uint32_t>(fields.size()));
    for (const std::string& field : fields) {
        AppendLittleEndian32(comment, static_cast<std::uint32_t>(field.size()));
        comment += field;
    }
    std::vector<std::pair<unsigned, std::string>> blocks = {{0, streamInfo}, {4, comment}};
    if (pictureSize > 0) {
        blocks.emplace_back(6, std::string(pictureSize, '\x5A'));
    }
    if (padding > 0) {
        blocks.emplace_back(1, std::string(padding, '\0'));
    }
    std::string out = "fLaC";
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        out += FlacBlock(blocks[i].first | (i + 1 == blocks.size() ? 0x80u : 0u), blocks[i].second);
    }
    return out + sample.substr(std::min(pos, sample.size()));
}

std::string MonkeysAudioBytes(const std::string& tail) {
    return "MAC " + std::string("\x96\x0f", 2) + std::string(58, '\x11') + tail;
}
