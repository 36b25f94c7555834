// Feeds arbitrary bytes to the tag readers as the content of a file, read the way the program
// reads it: ReadMp3Tags opens the file by its path and reads an ID3v2 tag at its start or
// appended at its end, an ID3v1 tag in its last 128 bytes; ReadFormatTags reads the same bytes
// as a FLAC, Ogg, MP4 and APE file. Each tag repair planned for the bytes must run on them and
// its inverse must give them back. The file lives in memory (memfd), so that the fuzzer writes
// nothing to disk.
//
// Build with clang and run on a corpus seeded with MP3 files:
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DSORTUNE_FUZZ=ON
//   cmake --build build-fuzz --target tagreader_fuzz
//   build-fuzz/bin/tagreader_fuzz CORPUS SEEDS -dict=tests/fuzz/id3v2.dict -timeout=10

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "organizer/chineseconverter.h"
#include "organizer/conversiontables.h"
#include "organizer/filebytes.h"
#include "organizer/tagreader.h"
#include "organizer/tagregion.h"
#include "organizer/tagrepair.h"
#include "resources/embeddedresource.h"

namespace {

// The file each input is written to, closed when the fuzzer exits.
class MemoryFile {
public:
    MemoryFile() : m_fd(memfd_create("tagreader-fuzz", MFD_CLOEXEC)) {
        if (m_fd < 0) {
            std::abort();
        }
        m_path = "/proc/self/fd/" + std::to_string(m_fd);
    }
    ~MemoryFile() { close(m_fd); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    const std::string& Write(const std::uint8_t* data, std::size_t size) {
        if (ftruncate(m_fd, 0) != 0 ||
            (size > 0 && pwrite(m_fd, data, size, 0) != static_cast<ssize_t>(size))) {
            std::abort();
        }
        return m_path;
    }

private:
    int m_fd;
    std::string m_path;
};

const ChineseConverter& Converter() {
    static const ConversionTables tables = [] {
        ConversionTables loaded;
        loaded.Load(resources::FindResource);
        return loaded;
    }();
    static const ChineseConverter converter(tables);
    return converter;
}

void CheckRepair(const std::string& path, AudioFormat format) {
    const std::optional<TagRewrite> rewrite = PlanTagRepair(path, format, Converter());
    if (!rewrite) {
        return;
    }
    const TagEdit& edit = rewrite->edit;
    const std::string source =
        TagRegionBytes(FileBytes(path, 0, 0), edit.region, edit.sourceLength);
    const std::optional<std::string> result = ApplyTagEdit(edit, source);
    if (!result || ApplyTagEdit(InverseOf(edit), *result) != source) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file;
    TrackTags first;
    TrackTags second;
    const std::string& path = file.Write(data, size);
    ReadMp3Tags(path, first, second);
    for (const AudioFormat format :
         {AudioFormat::Flac, AudioFormat::Ogg, AudioFormat::Mp4, AudioFormat::Ape}) {
        ReadFormatTags(path, format, first, second);
    }
    for (const AudioFormat format :
         {AudioFormat::Mp3, AudioFormat::Flac, AudioFormat::Ogg, AudioFormat::Ape}) {
        CheckRepair(path, format);
    }
    return 0;
}
