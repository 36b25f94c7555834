#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace asfmeta {

// The kinds of attribute value the module tells apart; binary, Boolean, 16-bit and GUID
// values are all Other.
enum class AsfType { String, DWord, QWord, Other };

// One file-level attribute as the file stores it.
struct AsfAttribute {
    AsfType type = AsfType::Other;
    // Bytes of the stored value; a string counts its UTF-16 units and the terminating NUL.
    std::size_t length = 0;
    std::u16string text;       // String: the value (it may hold NUL units)
    std::uint64_t number = 0;  // DWord and QWord: the value
};

// Reads the file-level attributes of one ASF (WMA) file, one reader per file:
// Open, ask GetAttributeByName as often as needed, Close (or let the reader go).
//
// "Title" and "Author" are the title and author of the file's content description; any
// other name is looked up among the extended attributes. Only the header is read. The
// reader may throw std::bad_alloc; it throws nothing else of its own.
class AsfReader {
public:
    AsfReader();
    ~AsfReader();
    AsfReader(const AsfReader&) = delete;
    AsfReader& operator=(const AsfReader&) = delete;

    // Opens the file and reads its header. False when the path names no regular file or
    // the file is not an ASF file TagLib can read.
    [[nodiscard]] bool Open(const std::string& path);
    void Close();

    // The attribute `name`, or nothing when the file lacks it or nothing is open. An empty
    // title or author counts as missing: the content description stores those as length 0.
    std::optional<AsfAttribute> GetAttributeByName(std::string_view name) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

}  // namespace asfmeta
