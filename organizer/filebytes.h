#pragma once

#include <cstddef>
#include <string>

#include "organizer/bytesource.h"
#include "platform/readonlyfile.h"

// A file whose first and last bytes, where tags stand, are read once each, in one call each,
// when it is opened; other bytes are read from the file when asked for. Throws what
// ReadOnlyFile throws when the file cannot be opened.
class FileBytes final : public ByteSource {
public:
    FileBytes(const std::string& path, std::size_t headSize, std::size_t tailSize);

    std::size_t Size() const override { return file_.Size(); }
    std::string Read(std::size_t offset, std::size_t count) const override;

private:
    std::string ReadFromFile(std::size_t offset, std::size_t count) const;

    ReadOnlyFile file_;
    std::string head_;  // the bytes from the start on
    std::string tail_;  // the bytes from tailStart_ to the end
    std::size_t tailStart_ = 0;
};
