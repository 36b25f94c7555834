#include "asfmeta/readonlyfilestream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <limits>

namespace asfmeta {
namespace {

// Holds the whole header of a typical file; larger requests bypass the buffer.
constexpr std::size_t kBufferSize = 16 * 1024;

// The objects whose attributes TagLib keeps: the extended content description, and the
// metadata and metadata library objects of the header extension.
const std::array<TagLib::ByteVector, 3> kAttributeObjectIds = {
    TagLib::ByteVector("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50", 16),
    TagLib::ByteVector("\xEA\xCB\xF8\xC5\xAF\x5B\x77\x48\x84\x67\xAA\x8C\x44\xFA\x4C\xCA", 16),
    TagLib::ByteVector("\x94\x1C\x23\x44\x98\x94\xD1\x49\xA1\x41\x1D\x13\x4E\x45\x70\x54", 16),
};

bool IsAttributeObjectId(const TagLib::ByteVector& block) {
    return std::find(kAttributeObjectIds.begin(), kAttributeObjectIds.end(), block) !=
           kAttributeObjectIds.end();
}

}  // namespace

// O_NONBLOCK keeps the open itself from waiting on a FIFO; it changes nothing for a regular
// file.
ReadOnlyFileStream::ReadOnlyFileStream(const std::string& path)
    : m_strPath(path), m_file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)) {
    struct stat info {};
    if (!m_file || fstat(m_file.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > std::numeric_limits<long>::max()) {
        if (m_file) {
            m_file.Close();
        }
        return;
    }
    m_nLength = static_cast<long>(info.st_size);
}

TagLib::ByteVector ReadOnlyFileStream::readBlock(unsigned long length) {
    if (!m_file || m_nPosition >= m_nLength) {
        return {};
    }
    const auto available = static_cast<unsigned long>(m_nLength - m_nPosition);
    const std::size_t wanted = std::min(length, available);
    if (wanted > kMaxBlockSize) {
        m_nPosition += static_cast<long>(wanted);
        return {};
    }
    if (wanted > kMaxHandedBytes - m_nHanded || m_nBlocks == kMaxBlocks) {
        m_nPosition = m_nLength;
        return {};
    }
    TagLib::ByteVector block = ReadFromFile(wanted);
    m_nHanded += block.size();
    ++m_nBlocks;
    LimitAttributeCount(block);
    return block;
}

TagLib::ByteVector ReadOnlyFileStream::ReadFromFile(std::size_t count) {
    if (count > kBufferSize) {
        TagLib::ByteVector block(static_cast<unsigned int>(count), '\0');
        block.resize(
            static_cast<unsigned int>(ReadAt(m_file.get(), block.data(), count, m_nPosition)));
        m_nPosition += static_cast<long>(block.size());
        return block;
    }
    if (!IsBuffered(count)) {
        m_buffer.resize(kBufferSize);
        m_buffer.resize(ReadAt(m_file.get(), m_buffer.data(), kBufferSize, m_nPosition));
        m_nBufferStart = m_nPosition;
    }
    const auto offset = static_cast<std::size_t>(m_nPosition - m_nBufferStart);
    count = std::min(count, m_buffer.size() - offset);
    m_nPosition += static_cast<long>(count);
    return {m_buffer.data() + offset, static_cast<unsigned int>(count)};
}

// TagLib reads an attribute object's id (16 bytes), its size (8) and then its count (2).
void ReadOnlyFileStream::LimitAttributeCount(TagLib::ByteVector& block) {
    const AttributeObjectStart before = m_objectStart;
    m_objectStart = AttributeObjectStart::None;
    if (before == AttributeObjectStart::Id && block.size() == 8) {
        m_objectStart = AttributeObjectStart::Size;
    } else if (before == AttributeObjectStart::Size && block.size() == 2) {
        const std::size_t count = std::min<std::size_t>(block.toUShort(false), m_nAttributesLeft);
        m_nAttributesLeft -= count;
        block = TagLib::ByteVector::fromShort(static_cast<short>(count), false);
    } else if (IsAttributeObjectId(block)) {
        m_objectStart = AttributeObjectStart::Id;
    }
}

void ReadOnlyFileStream::seek(long offset, Position p) {
    const long base = p == Beginning ? 0 : p == Current ? m_nPosition : m_nLength;
    long target = 0;
    if (__builtin_add_overflow(base, offset, &target) || target < 0) {
        return;  // like fseek: a seek before the start fails and the position stays
    }
    m_nPosition = target;
}

bool ReadOnlyFileStream::IsBuffered(std::size_t count) const {
    return m_nPosition >= m_nBufferStart &&
           static_cast<std::size_t>(m_nPosition - m_nBufferStart) + count <= m_buffer.size();
}

}  // namespace asfmeta
