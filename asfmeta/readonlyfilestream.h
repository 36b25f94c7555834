#pragma once

#include <taglib/tiostream.h>

#include "platform/filedescriptor.h"

#include <cstddef>
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
//
// What TagLib makes of a header is bounded, whatever the header claims, so that reading one
// file takes tens of milliseconds and a few megabytes at most (bench/hostiletags_bench):
// - A block larger than kMaxBlockSize is a picture, an object the module has no use for or
//   the size of a damaged file (no text the module reads is larger): it is passed over and
//   reads as empty, so that TagLib holds no copy of it.
// - Of smaller blocks, kMaxHandedBytes in kMaxBlocks blocks are handed out in all; then the
//   file reads as ended. TagLib keeps about 350 bytes for each object of the header, which
//   takes two blocks (24 bytes), and a header without pictures takes a few KB in a few
//   hundred blocks.
// - TagLib makes an attribute of about 1 KB for each one an attribute object announces, even
//   past the end of the file (65,535 of them, 60 MB, for a file of 240 bytes); the counts it
//   is handed add up to kMaxAttributes at most, where a file has a few dozen.
inline constexpr std::size_t kMaxBlockSize = 64 * 1024;
inline constexpr std::size_t kMaxHandedBytes = 1024 * 1024;
inline constexpr std::size_t kMaxBlocks = 4096;
inline constexpr std::size_t kMaxAttributes = 256;

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
    // How far TagLib has read the start of an attribute object: its id, then its size, then
    // the count of its attributes.
    enum class AttributeObjectStart { None, Id, Size };

    TagLib::ByteVector ReadFromFile(std::size_t count);
    bool IsBuffered(std::size_t count) const;
    void LimitAttributeCount(TagLib::ByteVector& block);

    std::string m_strPath;
    FileDescriptor m_file;
    long m_nLength = 0;
    long m_nPosition = 0;
    std::vector<char> m_buffer;  // the file's bytes from m_nBufferStart on
    long m_nBufferStart = 0;
    std::size_t m_nHanded = 0;  // bytes handed out
    std::size_t m_nBlocks = 0;  // blocks handed out
    std::size_t m_nAttributesLeft = kMaxAttributes;
    AttributeObjectStart m_objectStart = AttributeObjectStart::None;
};

}  // namespace asfmeta
