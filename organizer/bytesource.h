#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The bytes of one file as the tag readers see them: a size and reads at any offset, so that
// a reader reads only what it needs. Files are read through the platform; tests and fuzzing
// hand in bytes held in memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;

    virtual std::size_t Size() const = 0;
    // Up to `count` bytes at `offset`; fewer only where the bytes end or a read fails.
    virtual std::string Read(std::size_t offset, std::size_t count) const = 0;
};

// Bytes held by the caller, who keeps them alive while the source is used.
class MemoryBytes final : public ByteSource {
public:
    explicit MemoryBytes(std::string_view bytes) : bytes_(bytes) {}

    std::size_t Size() const override { return bytes_.size(); }
    std::string Read(std::size_t offset, std::size_t count) const override {
        return offset < bytes_.size() ? std::string(bytes_.substr(offset, count)) : std::string();
    }

private:
    std::string_view bytes_;
};
