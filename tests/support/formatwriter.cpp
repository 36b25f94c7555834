#include "formatwriter.h"

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

std::string ApeTagBytes(const std::vector<std::pair<std::string, std::string>>& items) {
    std::string body;
    for (const auto& [key, value] : items) {
        AppendLittleEndian32(body, static_cast<std::uint32_t>(value.size()));
        AppendLittleEndian32(body, 0);  // a text item
        body += key + '\0' + value;
    }
    std::string footer = "APETAGEX";
    AppendLittleEndian32(footer, 2000);
    AppendLittleEndian32(footer, static_cast<std::uint32_t>(body.size() + 32));
    AppendLittleEndian32(footer, static_cast<std::uint32_t>(items.size()));
    AppendLittleEndian32(footer, 0);  // a footer, no header
    footer += std::string(8, '\0');
    return body + footer;
}

std::string MonkeysAudioBytes(const std::string& tail) {
    return "MAC " + std::string("\x96\x0f", 2) + std::string(58, '\x11') + tail;
}
