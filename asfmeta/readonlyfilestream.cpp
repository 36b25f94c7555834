#include "asfmeta/readonlyfilestream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <limits>

namespace asfmeta {
namespace {

// Holds the whole header of a typical file; larger requests bypass the buffer.
constexpr std::size_t kBufferSize = 16 * 1024;

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
    const unsigned long largest = std::numeric_limits<unsigned int>::max();
    const std::size_t wanted = std::min({length, available, largest});
    if (wanted > kBufferSize) {
        TagLib::ByteVector block(static_cast<unsigned int>(wanted), '\0');
        block.resize(
            static_cast<unsigned int>(ReadAt(m_file.get(), block.data(), wanted, m_nPosition)));
        m_nPosition += static_cast<long>(block.size());
        return block;
    }
    if (!IsBuffered(wanted)) {
        m_buffer.resize(kBufferSize);
        m_buffer.resize(ReadAt(m_file.get(), m_buffer.data(), kBufferSize, m_nPosition));
        m_nBufferStart = m_nPosition;
    }
    const auto offset = static_cast<std::size_t>(m_nPosition - m_nBufferStart);
    const std::size_t count = std::min(wanted, m_buffer.size() - offset);
    m_nPosition += static_cast<long>(count);
    return {m_buffer.data() + offset, static_cast<unsigned int>(count)};
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
