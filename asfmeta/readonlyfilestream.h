#pragma once

#include <taglib/tiostream.h>

#include "platform/filedescriptor.h"

#include <string>
#include <vector>

namespace asfmeta {

// A TagLib stream over one regular file, opened read-only.
//
// It refuses what is not a regular file (a FIFO or device named *.wma would block or never
// end), and it never hands out more bytes than the file holds, so a size field of a damaged
// file cannot make TagLib allocate beyond the file's length. TagLib reads an ASF header in
// hundreds of small pieces, so reads go through a buffer rather than one system call each.
// Writing is not supported.
class ReadOnlyFileStream : public TagLib::IOStream {
public:
    explicit ReadOnlyFileStream(const std::string& path);
    ReadOnlyFileStream(const ReadOnlyFileStream&) = delete;
    ReadOnlyFileStream& operator=(const ReadOnlyFileStream&) = delete;

    TagLib::FileName name() const override { return m_strPath.c_str(); }
    TagLib::ByteVector readBlock(unsigned long length) override;
    void writeBlock(const TagLib::ByteVector&) override {}
    void insert(const TagLib::ByteVector&, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    bool readOnly() const override { return true; }
    bool isOpen() const override { return static_cast<bool>(m_file); }
    void seek(long offset, Position p) override;
    long tell() const override { return m_nPosition; }
    long length() override { return m_nLength; }
    void truncate(long) override {}

private:
    bool IsBuffered(std::size_t count) const;

    std::string m_strPath;
    FileDescriptor m_file;
    long m_nLength = 0;
    long m_nPosition = 0;
    std::vector<char> m_buffer;  // the file's bytes from m_nBufferStart on
    long m_nBufferStart = 0;
};

}  // namespace asfmeta
