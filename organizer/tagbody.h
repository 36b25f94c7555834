#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "organizer/bytesource.h"

// The frames of one ID3v2 tag as its reader walks them: the bytes after the tag header, read
// from the file in small windows as the walk comes to them, so that a frame that is not wanted
// is passed over without being read.
//
// A tag unsynchronised as a whole (ID3v2.2 and 2.3) counts its frames in the bytes after the
// unsynchronisation is undone; such a body is undone as it is read, in bounded pieces, and can
// only be walked forwards. ID3v2.4 unsynchronises frame by frame, which leaves the body plain.

// The bytes of a body unsynchronised as a whole that are read and undone at most; for its
// reader the body ends there. Its frames can only be found by undoing every byte before them,
// pictures included: a title after a picture of 30 MB is still found.
inline constexpr std::size_t kMaxUnsynchronisedBytes = 32 * 1024 * 1024;

class TagBody {
public:
    // The `size` bytes at `begin` of `file` (fewer when the file ends first). The file must
    // outlive the body.
    TagBody(const ByteSource& file, std::size_t begin, std::size_t size, bool unsynchronised);

    // The size of the body: exact when it is plain; when unsynchronised, what it is at most.
    std::size_t Limit() const { return size_; }

    // Up to `count` bytes at `pos`, fewer where the body ends. The view lasts until the next
    // call. An unsynchronised body is read forwards only: `pos` must not lie before the `pos`
    // of an earlier call.
    std::string_view Read(std::size_t pos, std::size_t count);

private:
    std::string_view ReadPlain(std::size_t pos, std::size_t count);
    std::string_view ReadUnsynchronised(std::size_t pos, std::size_t count);
    std::size_t WindowEnd() const { return windowStart_ + window_.size() - passed_; }
    void DropBefore(std::size_t pos);

    const ByteSource& file_;
    std::size_t begin_;
    std::size_t size_;
    bool unsynchronised_;
    std::string window_;  // body bytes from windowStart_ on, after the first passed_ bytes
    std::size_t passed_ = 0;
    std::size_t windowStart_ = 0;
    std::size_t consumed_ = 0;  // unsynchronised: file bytes of the body undone so far
    bool afterFF_ = false;      // unsynchronised: the last byte undone was 0xFF
};
