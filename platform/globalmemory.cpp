#include "platform/globalmemory.h"

#include <cstdint>
#include <cstdlib>

namespace {

// A block begins with this header, which tells a block from any other pointer.
struct BlockHeader {
    std::uint64_t magic;
    std::size_t size;
};
constexpr std::uint64_t kMagic = 0x53474C4F42414C31;  // "SGLOBAL1"

BlockHeader* HeaderOf(HGLOBAL memory) {
    auto* header = reinterpret_cast<BlockHeader*>(memory);
    return header != nullptr && header->magic == kMagic ? header : nullptr;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT /*flags*/, std::size_t size) {
    auto* header = static_cast<BlockHeader*>(std::calloc(1, sizeof(BlockHeader) + size));
    if (header == nullptr) {
        return nullptr;
    }
    header->magic = kMagic;
    header->size = size;
    return reinterpret_cast<HGLOBAL>(header);
}

void* GlobalLock(HGLOBAL memory) {
    BlockHeader* header = HeaderOf(memory);
    return header == nullptr ? nullptr : header + 1;
}

BOOL GlobalUnlock(HGLOBAL memory) {
    return HeaderOf(memory) != nullptr ? TRUE : FALSE;
}

std::size_t GlobalSize(HGLOBAL memory) {
    const BlockHeader* header = HeaderOf(memory);
    return header == nullptr ? 0 : header->size;
}

HGLOBAL GlobalFree(HGLOBAL memory) {
    BlockHeader* header = HeaderOf(memory);
    if (header == nullptr) {
        return memory;
    }
    header->magic = 0;
    std::free(header);
    return nullptr;
}
