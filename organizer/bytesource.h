#pragma once

#include <cstddef>
#include <string>

// The bytes of one file as the tag readers see them: a size and reads at any offset, so that
// a reader reads only what it needs.
class ByteSource {
public:
    virtual ~ByteSource() = default;

    virtual std::size_t Size() const = 0;
    // Up to `count` bytes at `offset`; fewer only where the bytes end or a read fails.
    virtual std::string Read(std::size_t offset, std::size_t count) const = 0;
};
