// Measures GetAsfmeta, as the program calls it, against the least work that reads the same
// header bytes.
//
// usage: asfmeta_bench
//
// Writes 2000 WMA files into a temporary folder, removed at the end: Chinese title, artist
// and album, every tenth with a 20 KB binary attribute, then times, after a warm-up round,
// five passes of each way of reading and prints the median in microseconds per file:
//   floor       open, read the first 16 KB (the header), close
//   GetAsfmeta  the module loaded from beside this program

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "asfmeta/asfmeta.h"
#include "bench/medianpasses.h"
#include "platform/module.h"
#include "platform/systeminfo.h"
#include "tests/support/tempdir.h"
#include "tests/support/wmawriter.h"

namespace {

constexpr int kFiles = 2000;
constexpr int kPasses = 5;

bool Generate(const std::string& folder, std::vector<std::string>& paths) {
    const std::array<const char*, 6> words = {"月亮", "小雨", "故乡", "明天", "海边", "星空"};
    for (int i = 0; i < kFiles; ++i) {
        std::vector<WmaAttribute> attributes{
            {"Title", std::string(words[i % 6]) + words[i / 6 % 6]},
            {"Author", std::string(words[i / 36 % 6])},
            {"WM/AlbumTitle", std::string(words[i % 5]) + "集"}};
        if (i % 10 == 0) {
            attributes.push_back({"WM/Blob", std::vector<unsigned char>(20 * 1024, 7)});
        }
        paths.push_back(folder + "/track" + std::to_string(i) + ".wma");
        if (!WriteWmaAttributes(paths.back(), attributes)) {
            return false;
        }
    }
    return true;
}

std::size_t ReadBare(const std::string& path) {
    static std::vector<char> buffer(16 * 1024);
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    const ssize_t got = pread(fd, buffer.data(), buffer.size(), 0);
    close(fd);
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

}  // namespace

int main() {
    const Module module(sysinfo::ExecutableFolder() + "/" + kAsfmetaModule);
    const auto getAsfmeta = module.GetProcAddress<PFN_GETASFMETA>(kGetAsfmetaExport);
    if (getAsfmeta == nullptr) {
        std::fprintf(stderr, "cannot bind %s: %s\n", kAsfmetaModule, module.Error().c_str());
        return 2;
    }
    TempDir folder;
    std::vector<std::string> paths;
    if (!Generate(folder.path(), paths)) {
        std::fprintf(stderr, "cannot write the WMA files\n");
        return 2;
    }
    const std::vector<double> medians = MedianPasses(
        paths,
        {ReadBare,
         [getAsfmeta](const std::string& path) {
             std::array<char, 1024> title{};
             std::array<char, 64> artist{};
             std::array<char, 64> album{};
             const int result = getAsfmeta(path.c_str(), title.data(), artist.data(), album.data());
             return static_cast<std::size_t>(result);
         }},
        kPasses);
    const double perFile = 1e6 / kFiles;
    std::printf("%d files, median of %d passes, microseconds per file\n", kFiles, kPasses);
    std::printf("  floor       %7.2f\n", medians[0] * perFile);
    std::printf("  GetAsfmeta  %7.2f  (%.1fx floor)\n", medians[1] * perFile,
                medians[1] / medians[0]);
    return 0;
}
