// Times the tag reading of files made to cost the readers the most, and measures its memory.
//
// usage: hostiletags_bench
//
// Writes each file into a temporary folder, removed at the end, and reads it in a process of
// its own (this program, run again), so that the peak memory printed is that of one file's
// read: the peak resident size of that process (VmHWM), beside that of one reading an
// ordinary file.
// The time is the slowest of five reads of the file, the page cache warm: no read may take
// long, whatever the file holds, for a run stops only between two files. Then 33 copies of a
// hostile WMA file are read through the prefetcher, with 16 readers and without: reading
// ahead must cost little more memory than reading each file at its turn.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "asfmeta/asfmeta.h"
#include "organizer/id3v2tag.h"
#include "organizer/tagprefetcher.h"
#include "organizer/tagreader.h"
#include "platform/module.h"
#include "platform/systeminfo.h"
#include "tests/support/fileio.h"
#include "tests/support/mp3writer.h"
#include "tests/support/tempdir.h"
#include "tests/support/wmawriter.h"

namespace {

constexpr std::size_t kMegabyte = 1024 * 1024;
constexpr int kReads = 5;
constexpr int kCopies = 33;

// --- ID3v2 -----------------------------------------------------------------------------

std::string SynchSafe(std::size_t size) {
    std::string bytes;
    for (const int shift : {21, 14, 7, 0}) {
        bytes += static_cast<char>((size >> shift) & 0x7F);
    }
    return bytes;
}

// A tag of `version` and `flags` around `frames`, one silent audio frame after it.
std::string Mp3(int version, unsigned flags, const std::string& frames) {
    std::string bytes = "ID3";
    bytes += static_cast<char>(version);
    bytes += '\0';
    bytes += static_cast<char>(flags);
    return bytes + SynchSafe(frames.size()) + frames + RenderMp3({.audioFrames = 1});
}

// The bytes of `frame` as RenderMp3 writes it into a tag of `version`.
std::string FrameBytes(int version, const Id3v2Frame& frame) {
    const std::string tag =
        RenderMp3({.id3v2 = Id3v2Tag{.version = version, .frames = {frame}}, .audioFrames = 0});
    return tag.substr(kId3v2HeaderSize);
}

// Copies of `frame` up to `size` bytes.
std::string Repeated(const std::string& frame, std::size_t size) {
    std::string bytes;
    bytes.reserve(size);
    while (bytes.size() + frame.size() <= size) {
        bytes += frame;
    }
    return bytes;
}

// Copies of `frame` in a tag of `version`, up to `size` bytes.
std::string Frames(int version, const Id3v2Frame& frame, std::size_t size) {
    return Repeated(FrameBytes(version, frame), size);
}

std::string TitleFrame(int version) {
    return FrameBytes(version, {"TIT2", Latin1Text("title")});
}

// ID3v2.4 frames of 16 KB whose sizes read as synch-safe land inside them, so that each frame
// is looked for at both readings.
std::string TwoWayFrames(std::size_t size) {
    const std::string frame =
        std::string("TXXX\x00\x00\x40\x00\x00\x00", 10) + std::string(16384, 'x');
    return Repeated(frame, size);
}

// --- ASF -------------------------------------------------------------------------------

const std::string kHeaderId("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string kExtendedContentId(
    "\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50", 16);
const std::string kUnknownId(16, '\x5A');

std::string LittleEndian(std::uint64_t value, int size) {
    std::string bytes;
    for (int i = 0; i < size; ++i) {
        bytes += static_cast<char>(value >> (8 * i));
    }
    return bytes;
}

std::string AsfObject(const std::string& id, const std::string& body) {
    return id + LittleEndian(24 + body.size(), 8) + body;
}

// The objects of the smallest header TagLib reads: file and stream properties, header
// extension.
std::string MinimalObjects() {
    const std::vector<unsigned char> file = MinimalAsfFile();
    const std::size_t headerSize = file[16] | file[17] << 8;
    return std::string(file.begin() + 30, file.begin() + static_cast<long>(headerSize));
}

// A header announcing `count` objects: the minimal ones, then `more`.
std::string Wma(const std::string& more, std::uint32_t count) {
    const std::string objects = MinimalObjects() + more;
    return kHeaderId + LittleEndian(30 + objects.size(), 8) + LittleEndian(count, 4) + "\x01\x02" +
           objects;
}

// An extended content description announcing 65,535 attributes where the file ends.
std::string PhantomAttributes() {
    return Wma(kExtendedContentId + LittleEndian(1ULL << 40, 8) + LittleEndian(0xFFFF, 2), 4);
}

// Descriptions of 65,535 attributes of 6 bytes each (no name, no value) up to `size`.
std::string TinyAttributes(std::size_t size) {
    const std::string object =
        AsfObject(kExtendedContentId, LittleEndian(0xFFFF, 2) + std::string(6 * 0xFFFF, '\0'));
    return Wma(Repeated(object, size), 0x7FFFFFFF);
}

// --- Reading ---------------------------------------------------------------------------

struct HostileFile {
    std::string name;
    const char* suffix;
    std::function<std::string()> bytes;  // made when the file is written; none: WriteWma's
};

std::vector<HostileFile> HostileFiles() {
    const std::string big(70000, 'a');
    return {
        {"ordinary ID3v2.3 tag", ".mp3",
         [] {
             return RenderMp3({.id3v1 = Id3v1Tag{.title = "v1"},
                               .id3v2 = Id3v2Tag{.frames = {{"TIT2", Latin1Text("title")},
                                                            {"TPE1", Latin1Text("artist")}}}});
         }},
        {"16 MB of compressed titles past 64 KB", ".mp3",
         [big] {
             return Mp3(3, 0, Frames(3, {"TIT2", Latin1Text(big), true}, 16 * kMegabyte));
         }},
        {"the same, ID3v2.4", ".mp3",
         [big] {
             return Mp3(4, 0, Frames(4, {"TIT2", Latin1Text(big), true}, 16 * kMegabyte));
         }},
        {"16 MB of empty frames", ".mp3",
         [] {
             return Mp3(3, 0, Frames(3, {"TXXX", ""}, 16 * kMegabyte));
         }},
        {"256 MB unsynchronised tag of empty frames", ".mp3",
         [] {
             return Mp3(3, 0x80, Frames(3, {"TXXX", ""}, 256 * kMegabyte - 16));
         }},
        {"unsynchronised: 40 MB picture, title", ".mp3",
         [] {
             const Id3v2Frame picture{"APIC", std::string(40 * kMegabyte, '\xFF')};
             return Mp3(3, 0x80, FrameBytes(3, picture) + TitleFrame(3));
         }},
        {"16 MB of 70 KB titles", ".mp3",
         [big] {
             return Mp3(3, 0, Frames(3, {"TIT2", Latin1Text(big)}, 16 * kMegabyte));
         }},
        {"16 MB of unsynchronised 130 KB titles", ".mp3",
         [] {
             const std::string text = std::string(60000, '\xFF') + std::string(10000, 'u');
             return Mp3(4, 0, Frames(4, {"TIT2", Latin1Text(text), false, true}, 16 * kMegabyte));
         }},
        {"16 MB of ID3v2.4 sizes read two ways", ".mp3",
         [] { return Mp3(4, 0, TwoWayFrames(16 * kMegabyte)); }},
        {"16 MB of invalid ids, each searched past", ".mp3",
         [] {
             const std::string frame =
                 std::string("Date\x00\x00\x00\x01\x00\x00", 10) + std::string(100, 'x');
             return Mp3(3, 0, Repeated(frame, 16 * kMegabyte) + TitleFrame(3));
         }},
        {"256 MB tag declared, title, 1 KB file", ".mp3",
         [] {
             return "ID3\x03" + std::string(2, '\0') + SynchSafe(256 * kMegabyte - 1) +
                    TitleFrame(3);
         }},
        {"ordinary WMA", ".wma", {}},
        {"WMA: 65,535 attributes past the end", ".wma", PhantomAttributes},
        {"WMA: 16 MB of 6-byte attributes", ".wma", [] { return TinyAttributes(16 * kMegabyte); }},
        {"WMA: 16 MB of empty objects", ".wma",
         [] { return Wma(Repeated(AsfObject(kUnknownId, ""), 16 * kMegabyte), 0x7FFFFFFF); }},
        {"WMA: a 16 MB object", ".wma",
         [] { return Wma(AsfObject(kUnknownId, std::string(16 * kMegabyte, 'o')), 4); }},
    };
}

bool Write(const HostileFile& file, const std::string& path) {
    if (!file.bytes) {
        return WriteWma(path, "title", "artist", "album");
    }
    WriteFile(path, file.bytes());
    return true;
}

PFN_GETASFMETA BindAsfmeta(Module& module) {
    module = Module(sysinfo::ExecutableFolder() + "/" + kAsfmetaModule);
    return module.GetProcAddress<PFN_GETASFMETA>(kGetAsfmetaExport);
}

// The tags of one file, read as an organize run reads them.
FileTags ReadTags(const std::string& path, PFN_GETASFMETA getAsfmeta) {
    FileTags tags;
    if (path.ends_with(".mp3")) {
        ReadMp3Tags(path, tags.firstSet, tags.id3v2);
    } else {
        ReadWmaAttributes(path, tags.firstSet, getAsfmeta);
    }
    return tags;
}

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The peak resident size of this process since it started this program.
long PeakKb() {
    const std::string status = ReadFile("/proc/self/status");
    const std::size_t at = status.find("VmHWM:");
    return at == std::string::npos ? 0 : std::strtol(status.c_str() + at + 6, nullptr, 10);
}

// In the reading process: the slowest of five reads of the file, and its title.
int ReadOne(const std::string& path) {
    Module module;
    const PFN_GETASFMETA getAsfmeta = BindAsfmeta(module);
    double slowest = 0;
    FileTags tags;
    for (int i = 0; i < kReads; ++i) {
        slowest = std::max(slowest, Seconds([&] { tags = ReadTags(path, getAsfmeta); }));
    }
    const std::string& title = tags.id3v2.title.empty() ? tags.firstSet.title : tags.id3v2.title;
    std::printf("%.6f %ld %s\n", slowest, PeakKb(), title.empty() ? "-" : title.c_str());
    return 0;
}

// In the reading process: every file of `folder` through the prefetcher.
int ReadAhead(std::size_t readers, const std::string& folder) {
    Module module;
    const PFN_GETASFMETA getAsfmeta = BindAsfmeta(module);
    FileList list;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        list.push_back(entry.path().string());
    }
    const double seconds = Seconds([&] {
        TagPrefetcher prefetcher(
            list, [getAsfmeta](const std::string& path) { return ReadTags(path, getAsfmeta); },
            readers, kReadAheadWindow);
        for (std::size_t i = 0; i < list.size(); ++i) {
            prefetcher.Take(i);
        }
    });
    std::printf("%.6f %ld -\n", seconds, PeakKb());
    return 0;
}

struct Measured {
    double seconds = -1;
    long peakKb = 0;
    std::string title;
};

// Runs this program again with `args` and takes what it prints.
Measured RunSelf(const std::vector<std::string>& args) {
    int out[2];
    if (pipe(out) != 0) {
        return {};
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        std::vector<char*> argv = {const_cast<char*>("hostiletags_bench")};
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        execv("/proc/self/exe", argv.data());
        _exit(127);
    }
    close(out[1]);
    std::string printed;
    char buffer[256];
    for (ssize_t got; (got = read(out[0], buffer, sizeof buffer)) > 0;) {
        printed.append(buffer, static_cast<std::size_t>(got));
    }
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    Measured measured;
    char title[128] = {};
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
        std::sscanf(printed.c_str(), "%lf %ld %127s", &measured.seconds, &measured.peakKb, title) ==
            3) {
        measured.title = title;
    }
    return measured;
}

void Print(const std::string& name, const Measured& measured) {
    std::printf("  %-44s %8.3f ms  %7.1f MB  %s\n", name.c_str(), measured.seconds * 1e3,
                static_cast<double>(measured.peakKb) / 1024, measured.title.c_str());
}

int Measure() {
    TempDir folder;
    std::printf("one file per process, slowest of %d reads, peak memory of the process\n", kReads);
    std::printf("  %-44s %11s  %10s  %s\n", "file", "time", "peak", "title");
    int index = 0;
    for (const HostileFile& file : HostileFiles()) {
        const std::string path = folder / (std::to_string(index++) + file.suffix);
        if (!Write(file, path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 2;
        }
        Print(file.name, RunSelf({"--read", path}));
        std::filesystem::remove(path);
    }
    const std::string copies = folder / "copies";
    std::filesystem::create_directory(copies);
    const std::string phantom = PhantomAttributes() + std::string(17 * 1024, '\0');
    for (int i = 0; i < kCopies; ++i) {
        WriteFile(copies + "/" + std::to_string(i) + ".wma", phantom);
    }
    std::printf("%d copies of a 17 KB WMA file of 65,535 attributes, all read:\n", kCopies);
    for (const std::size_t readers : {std::size_t{0}, kMaxReaders}) {
        Print(std::to_string(readers) + " readers",
              RunSelf({"--ahead", std::to_string(readers), copies}));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "--read") {
        return ReadOne(args[1]);
    }
    if (args.size() == 3 && args[0] == "--ahead") {
        return ReadAhead(std::strtoul(args[1].c_str(), nullptr, 10), args[2]);
    }
    return Measure();
}
