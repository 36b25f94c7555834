// Measures the tag reading of an organize run against the least system-call work that can
// read the same bytes.
//
// usage: readtags_bench [FOLDER]
//
// Without a folder it writes 3000 MP3 files into a temporary folder, removed at the end:
// ID3v2.3 tags with GBK titles and 0-4 KB of padding, every tenth with a 100 KB picture, and
// ID3v1 tags. With a folder it reads every .mp3 file below it instead.
//
// The ways of reading take turns over all files, five passes each after a warm-up round; the
// median pass of each is printed in microseconds per file:
//   floor         open, read the 10-byte ID3v2 header and the tag, read the last 128 bytes
//                 (size known from the listing), close
//   ReadMp3Tags   both tags with one opening of the file, as an organize run reads them

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/medianpasses.h"
#include "organizer/tagreader.h"
#include "platform/codepage.h"
#include "tests/support/mp3writer.h"
#include "tests/support/tempdir.h"

namespace {

constexpr int kGeneratedFiles = 3000;
constexpr int kPasses = 5;

struct BenchFile {
    std::string path;
    std::size_t size;
};

// A small deterministic generator, so that every run reads the same files.
class Random {
public:
    unsigned Next(unsigned bound) {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<unsigned>(m_state >> 33) % bound;
    }

private:
    unsigned long long m_state = 42;
};

void Generate(const std::string& folder) {
    const std::array<const char*, 8> words = {"月亮", "小雨", "故乡", "明天",
                                              "海边", "星空", "朋友", "时光"};
    Random random;
    for (int i = 0; i < kGeneratedFiles; ++i) {
        const std::string title =
            codepage::Utf8ToCp936(std::string(words[random.Next(8)]) + words[random.Next(8)]);
        const std::string artist = codepage::Utf8ToCp936(words[random.Next(8)]);
        Id3v2Tag v2{.frames = {{"TIT2", Latin1Text(title)},
                               {"TPE1", Latin1Text(artist)},
                               {"TALB", Latin1Text(artist)},
                               {"TRCK", Latin1Text(std::to_string(i % 20 + 1))}},
                    .padding = random.Next(4097)};
        if (i % 10 == 0) {
            v2.frames.push_back(PictureFrame(100 * 1024));
        }
        const Mp3Fixture fixture{.id3v1 = Id3v1Tag{.title = title, .artist = artist}, .id3v2 = v2};
        const std::string path = folder + "/track" + std::to_string(i) + ".mp3";
        if (!WriteMp3(path, fixture)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            std::exit(2);
        }
    }
}

std::vector<BenchFile> ListMp3Files(const std::string& folder) {
    std::vector<BenchFile> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (entry.is_regular_file() && extension == ".mp3") {
            files.push_back({entry.path().string(), entry.file_size()});
        }
    }
    return files;
}

// The floor: the same bytes read with the fewest calls, nothing parsed.
std::size_t ReadBare(const BenchFile& file, std::vector<char>& buffer) {
    const int fd = open(file.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    unsigned char header[10];
    std::size_t got = 0;
    if (pread(fd, header, sizeof header, 0) == 10 && header[0] == 'I' && header[1] == 'D' &&
        header[2] == '3') {
        const std::size_t body = (header[6] & 0x7Fu) << 21 | (header[7] & 0x7Fu) << 14 |
                                 (header[8] & 0x7Fu) << 7 | (header[9] & 0x7Fu);
        buffer.resize(std::max(buffer.size(), body));
        got += static_cast<std::size_t>(std::max<ssize_t>(0, pread(fd, buffer.data(), body, 10)));
    }
    char id3v1[128];
    if (file.size >= 128) {
        got += static_cast<std::size_t>(std::max<ssize_t>(
            0, pread(fd, id3v1, sizeof id3v1, static_cast<off_t>(file.size - 128))));
    }
    close(fd);
    return got;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: %s [FOLDER]\n", argv[0]);
        return 2;
    }
    std::unique_ptr<TempDir> generated;
    std::string folder;
    if (argc == 2) {
        folder = argv[1];
    } else {
        generated = std::make_unique<TempDir>();
        folder = generated->path();
        Generate(folder);
    }
    const std::vector<BenchFile> files = ListMp3Files(folder);
    if (files.empty()) {
        std::fprintf(stderr, "no .mp3 files below %s\n", folder.c_str());
        return 2;
    }

    std::vector<char> buffer;
    const std::vector<double> medians =
        MedianPasses(files,
                     {[&](const BenchFile& file) { return ReadBare(file, buffer); },
                      [](const BenchFile& file) {
                          TrackTags first;
                          TrackTags second;
                          ReadMp3Tags(file.path, first, second);
                          return first.title.size() + second.title.size();
                      }},
                     kPasses);
    const double floor = medians[0];
    const double once = medians[1];

    const double perFile = 1e6 / static_cast<double>(files.size());
    std::printf("%zu files, median of %d passes, microseconds per file\n", files.size(), kPasses);
    std::printf("  floor        %7.2f\n", floor * perFile);
    std::printf("  ReadMp3Tags  %7.2f  (%.2fx floor)\n", once * perFile, once / floor);
    return 0;
}
