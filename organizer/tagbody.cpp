#include "organizer/tagbody.h"

#include <algorithm>

#include "organizer/id3v2field.h"

namespace {

// One read of a plain body: a frame header and the frames after it, or a whole small tag.
constexpr std::size_t kPlainWindow = 4096;
// One read of an unsynchronised body, which must be read through to be walked.
constexpr std::size_t kUnsynchronisedPiece = 64 * 1024;

// The bytes left of `raw` once its unsynchronisation is undone: every 0x00 after a 0xFF goes.
// `afterFF`: the byte before `raw` was a 0xFF.
std::size_t UndoneSize(std::string_view raw, bool afterFF) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(raw.data());
    std::size_t removed = afterFF && bytes[0] == 0 ? 1 : 0;
    for (std::size_t i = 1; i < raw.size(); ++i) {
        removed += static_cast<std::size_t>((bytes[i - 1] == 0xFF) & (bytes[i] == 0));
    }
    return raw.size() - removed;
}

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
    const std::size_t readLimit = std::min(size_, kMaxUnsynchronisedBytes);
    while (WindowEnd() < pos + count && consumed_ < readLimit) {
        const std::string raw =
            file_.Read(begin_ + consumed_, std::min(kUnsynchronisedPiece, readLimit - consumed_));
        if (raw.empty()) {
            size_ = consumed_;
            break;
        }
        consumed_ += raw.size();
        const std::size_t undone = UndoneSize(raw, afterFF_);
        if (WindowEnd() + undone <= pos) {
            // The window is empty and the piece lies before `pos`: counted, not kept.
            windowStart_ += undone;
            afterFF_ = static_cast<unsigned char>(raw.back()) == 0xFF;
        } else {
            afterFF_ = AppendUndone(raw, afterFF_, window_);
        }
        DropBefore(pos);
    }
    if (pos < windowStart_ || pos >= WindowEnd()) {
        return {};
    }
    return std::string_view(window_).substr(passed_ + pos - windowStart_, count);
}

// Forgets the bytes before `pos`, so that passing over a large frame holds one piece at most.
// They leave the window only once they are half of it: walking small frames would otherwise
// move the rest of the window for every frame.
void TagBody::DropBefore(std::size_t pos) {
    const std::size_t drop = std::min(pos - windowStart_, window_.size() - passed_);
    passed_ += drop;
    windowStart_ += drop;
    if (passed_ >= window_.size() / 2) {
        window_.erase(0, passed_);
        passed_ = 0;
    }
}
