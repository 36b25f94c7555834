#pragma once

#include <cstddef>
#include <string>

#include "platform/filedescriptor.h"

// A file opened for reading its bytes at any offset, the way tags are read: only what is
// asked for, and never waiting. A named pipe, a device or a folder among the files opens as
// a file of no bytes, so reading it neither blocks nor reads without end.
class ReadOnlyFile {
public:
    // Opens the file at `path`; when it cannot be opened, or is no regular file, the object
    // holds nothing and Size() is 0.
    explicit ReadOnlyFile(const std::string& path);

    explicit operator bool() const { return static_cast<bool>(file_); }
    std::size_t Size() const { return size_; }

    // Up to `count` bytes at `offset` into `buffer`; fewer at the end of the file or when a
    // read fails. Returns how many were read.
    std::size_t ReadAt(char* buffer, std::size_t count, std::size_t offset) const;

private:
    FileDescriptor file_;
    std::size_t size_ = 0;
};
