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

ReadOnlyFileStream::ReadOnlyFileStream(const std::string& path) : m_strPath(path) {
    // O_NONBLOCK keeps the open itself from waiting on a FIFO; it changes nothing for a
    // regular file.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > std::numeric_limits<long>::max()) {
        close(fd);
        return;
    }
    m_fd = fd;
    m_nLength = static_cast<long>(info.st_size);
}

ReadOnlyFileStream::~ReadOnlyFileStream() {
    if (m_fd >= 0) {
        close(m_fd);
    }
}

TagLib::ByteVector ReadOnlyFileStream::readBlock(unsigned long length) {
    if (m_fd < 0 || m_nPosition >= m_nLength) {
        return {};
    }
    const auto available = static_cast<unsigned long>(m_nLength - m_nPosition);
    const unsigned long largest = std::numeric_limits<unsigned int>::max();
    const std::size_t wanted = std::min({length, available, largest});
    if (wanted > kBufferSize) {
        TagLib::ByteVector block(static_cast<unsigned int>(wanted), '\0');
        block.resize(static_cast<unsigned int>(ReadAt(m_nPosition, block.data(), wanted)));
        m_nPosition += static_cast<long>(block.size());
        return block;
    }
    if (!IsBuffered(wanted)) {
        m_buffer.resize(kBufferSize);
        m_buffer.resize(ReadAt(m_nPosition, m_buffer.data(), kBufferSize));
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

std::size_t ReadOnlyFileStream::ReadAt(long offset, char* out, std::size_t size) const {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = pread(m_fd, out + done, size - done, offset + static_cast<long>(done));
        if (got <= 0) {
            break;  // the file shrank, or a read error: what was read is all there is
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

bool ReadOnlyFileStream::IsBuffered(std::size_t count) const {
    return m_nPosition >= m_nBufferStart &&
           static_cast<std::size_t>(m_nPosition - m_nBufferStart) + count <= m_buffer.size();
}

}  // namespace asfmeta
