// Feeds arbitrary bytes to the tag parsers: the input as the ID3v2 tag a file starts with,
// its last 128 bytes as an ID3v1 tag.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "organizer/tagreader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ParseId3v2Tag(bytes);
    ParseId3v1Tag(bytes.substr(size >= 128 ? size - 128 : 0));
    return 0;
}
