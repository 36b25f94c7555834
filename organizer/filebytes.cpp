#include "organizer/filebytes.h"

#include <algorithm>

FileBytes::FileBytes(const std::string& path, std::size_t headSize, std::size_t tailSize)
    : file_(path) {
    const std::size_t size = file_.Size();
    head_ = ReadFromFile(0, headSize);
    if (tailSize > 0 && size > head_.size()) {
        tailStart_ = std::max(head_.size(), size - std::min(size, tailSize));
        tail_ = ReadFromFile(tailStart_, size - tailStart_);
    }
}

std::string FileBytes::Read(std::size_t offset, std::size_t count) const {
    if (offset >= Size()) {
        return {};
    }
    count = std::min(count, Size() - offset);
    if (offset + count <= head_.size()) {
        return head_.substr(offset, count);
    }
    if (!tail_.empty() && offset >= tailStart_) {
        return tail_.substr(offset - tailStart_, count);
    }
    std::string out = offset < head_.size() ? head_.substr(offset) : std::string();
    return out + ReadFromFile(offset + out.size(), count - out.size());
}

std::string FileBytes::ReadFromFile(std::size_t offset, std::size_t count) const {
    std::string bytes(std::min(count, Size() - std::min(offset, Size())), '\0');
    bytes.resize(file_.ReadAt(bytes.data(), bytes.size(), offset));
    return bytes;
}
