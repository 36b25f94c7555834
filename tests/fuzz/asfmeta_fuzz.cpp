// Fuzzes GetAsfmeta: each input becomes the content of one file that the export reads.
//
// TagLib comes from the system, without coverage instrumentation, so libFuzzer cannot see
// which of its paths an input takes. To steer it anyway, every input is also read through
// the module's own stream, wrapped in one that turns the order and sizes of TagLib's reads
// and seeks into extra coverage counters; an input that makes TagLib read differently counts
// as new.
//
// Build with clang and run on a corpus seeded with WMA files:
//   CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DSORTUNE_FUZZ=ON
//   cmake --build build-fuzz --target asfmeta_fuzz
//   export ASAN_OPTIONS=malloc_context_size=0   # TagLib allocates a lot; keep that cheap
//   build-fuzz/bin/asfmeta_fuzz CORPUS SEEDS -dict=tests/fuzz/asfmeta.dict
//       -use_value_profile=1 -max_len=8192 -timeout=10

#include <fcntl.h>
#include <taglib/asffile.h>
#include <taglib/tiostream.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "asfmeta/asfmeta.h"
#include "asfmeta/readonlyfilestream.h"

namespace {

__attribute__((used, section("__libfuzzer_extra_counters"))) std::uint8_t g_counters[1 << 14];

// A stream that passes every access on to another and records it.
class TracingStream : public TagLib::IOStream {
public:
    explicit TracingStream(TagLib::IOStream& inner) : m_inner(inner) {}

    TagLib::FileName name() const override { return m_inner.name(); }
    TagLib::ByteVector readBlock(unsigned long length) override {
        TagLib::ByteVector block = m_inner.readBlock(length);
        Record(1, length, block.size());
        return block;
    }
    void writeBlock(const TagLib::ByteVector&) override {}
    void insert(const TagLib::ByteVector&, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    bool readOnly() const override { return true; }
    bool isOpen() const override { return m_inner.isOpen(); }
    void seek(long offset, Position p) override {
        m_inner.seek(offset, p);
        Record(2 + static_cast<int>(p), static_cast<std::uint64_t>(offset),
               static_cast<std::uint64_t>(m_inner.tell()));
    }
    long tell() const override { return m_inner.tell(); }
    long length() override { return m_inner.length(); }
    void truncate(long) override {}

private:
    static std::uint64_t Bucket(std::uint64_t value) {
        return value == 0 ? 0 : 64 - static_cast<std::uint64_t>(__builtin_clzll(value));
    }
    // One counter per (step, kind of access, magnitude of the request, of the result).
    void Record(int kind, std::uint64_t request, std::uint64_t result) {
        const std::uint64_t step = std::min<std::uint64_t>(m_steps++, 255);
        const std::uint64_t key =
            (((step * 8 + static_cast<std::uint64_t>(kind)) * 65 + Bucket(request)) * 65 +
             Bucket(result)) *
            0x9E3779B97F4A7C15ULL;
        std::uint8_t& counter = g_counters[(key >> 40) % sizeof(g_counters)];
        if (counter < 255) {
            ++counter;
        }
    }

    TagLib::IOStream& m_inner;
    std::uint64_t m_steps = 0;
};

// The file each input is written to, removed when the fuzzer exits.
class ScratchFile {
public:
    ScratchFile() {
        const char* folder = std::getenv("TMPDIR");
        m_path = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") +
                 "/asfmeta-fuzz-XXXXXX";
        m_fd = mkstemp(m_path.data());
        if (m_fd < 0) {
            std::abort();
        }
    }
    ~ScratchFile() {
        close(m_fd);
        unlink(m_path.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& Write(const std::uint8_t* data, std::size_t size) {
        if (ftruncate(m_fd, 0) != 0 ||
            (size > 0 && pwrite(m_fd, data, size, 0) != static_cast<ssize_t>(size))) {
            std::abort();
        }
        return m_path;
    }

private:
    std::string m_path;
    int m_fd = -1;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScratchFile file;
    const std::string& path = file.Write(data, size);

    std::array<char, 64> title{};
    std::array<char, 64> artist{};
    std::array<char, 64> album{};
    title.fill('#');
    const int result = GetAsfmeta(path.c_str(), title.data(), artist.data(), album.data());
    if (result != 0 && result != 1) {
        std::abort();
    }
    // A success writes NUL-terminated outputs; a failure leaves the marker.
    if (result == 1 ? strnlen(title.data(), 64) == 64 || strnlen(artist.data(), 64) == 64 ||
                          strnlen(album.data(), 64) == 64
                    : title[0] != '#') {
        std::abort();
    }

    asfmeta::ReadOnlyFileStream opened(path);
    TracingStream stream(opened);
    TagLib::ASF::File traced(&stream, false);
    return 0;
}
