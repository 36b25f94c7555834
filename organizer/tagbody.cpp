#include "organizer/tagbody.h"

#include <algorithm>

namespace {

// One read of a plain body: a frame header and the frames after it, or a whole small tag.
constexpr std::size_t kPlainWindow = 4096;
// One read of an unsynchronised body, which must be read through to be walked.
constexpr std::size_t kUnsynchronisedPiece = 64 * 1024;

}  // namespace

TagBody::TagBody(const ByteSource& file, std::size_t begin, std::size_t size, bool unsynchronised)
    : file_(file),
      begin_(begin),
      size_(begin < file.Size() ? std::min(size, file.Size() - begin) : 0),
      unsynchronised_(unsynchronised) {}

std::string_view TagBody::Read(std::size_t pos, std::size_t count) {
    if (pos >= size_) {
        return {};
    }
    count = std::min(count, size_ - pos);
    return unsynchronised_ ? ReadUnsynchronised(pos, count) : ReadPlain(pos, count);
}

std::string_view TagBody::ReadPlain(std::size_t pos, std::size_t count) {
    if (pos < windowStart_ || pos + count > windowStart_ + window_.size()) {
        window_ = file_.Read(begin_ + pos, std::min(std::max(count, kPlainWindow), size_ - pos));
        windowStart_ = pos;
    }
    return std::string_view(window_).substr(pos - windowStart_, count);
}

std::string_view TagBody::ReadUnsynchronised(std::size_t pos, std::size_t count) {
    if (pos < windowStart_) {
        return {};
    }
    DropBefore(pos);
    while (windowStart_ + window_.size() < pos + count && consumed_ < size_) {
        const std::string raw =
            file_.Read(begin_ + consumed_, std::min(kUnsynchronisedPiece, size_ - consumed_));
        if (raw.empty()) {
            size_ = consumed_;
            break;
        }
        consumed_ += raw.size();
        AppendUndone(raw);
        DropBefore(pos);
    }
    if (pos < windowStart_ || pos - windowStart_ >= window_.size()) {
        return {};
    }
    return std::string_view(window_).substr(pos - windowStart_, count);
}

// Forgets the bytes before `pos`, so that passing over a large frame holds one piece at most.
void TagBody::DropBefore(std::size_t pos) {
    const std::size_t drop = std::min(pos - windowStart_, window_.size());
    window_.erase(0, drop);
    windowStart_ += drop;
}

// Every 0x00 after a 0xFF was put in by the unsynchronisation and goes, also across pieces.
void TagBody::AppendUndone(std::string_view raw) {
    for (const char byte : raw) {
        if (!(afterFF_ && byte == '\0')) {
            window_ += byte;
        }
        afterFF_ = static_cast<unsigned char>(byte) == 0xFF;
    }
}
