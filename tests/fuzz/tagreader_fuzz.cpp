// Feeds arbitrary bytes to the MP3 tag readers as the bytes of a whole file: an ID3v2 tag at
// its start or appended at its end, an ID3v1 tag in its last 128 bytes.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "organizer/tagreader.h"
#include "tests/support/memorybytes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const MemoryBytes file(std::string_view(reinterpret_cast<const char*>(data), size));
    TrackTags first;
    TrackTags second;
    ReadMp3Tags(file, first, second);
    return 0;
}
