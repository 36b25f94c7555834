#pragma once

#include <string>
#include <string_view>

#include "organizer/bytesource.h"

// A file held in memory, for tests and fuzzing; the caller keeps the bytes alive while the
// source is used.
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

// A file held in memory that counts the bytes a reader takes from it.
class CountingBytes final : public ByteSource {
public:
    explicit CountingBytes(std::string_view bytes) : bytes_(bytes) {}
    std::size_t Size() const override { return bytes_.Size(); }
    std::string Read(std::size_t offset, std::size_t count) const override {
        std::string read = bytes_.Read(offset, count);
        bytesRead += read.size();
        return read;
    }
    mutable std::size_t bytesRead = 0;

private:
    MemoryBytes bytes_;
};
