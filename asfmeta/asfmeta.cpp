#include "asfmeta/asfmeta.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

#include "asfmeta/asfreader.h"
#include "platform/ansistring.h"
#include "platform/codepage.h"

static_assert(std::is_same_v<decltype(&GetAsfmeta), PFN_GETASFMETA>);

namespace {

using asfmeta::AsfAttribute;
using asfmeta::AsfType;

// One output: at most 63 bytes and the NUL.
constexpr std::size_t kResultSize = 64;
using Result = std::array<char, kResultSize>;

// Values longer than this do not fit the reading buffer and read as missing.
constexpr std::size_t kValueBufferSize = 8192;
constexpr std::uint64_t kTicksPerSecond = 10'000'000;  // 64-bit times count 100 ns

// The attributes in the order they are read.
enum Output { kTitle, kAlbum, kAuthor, kOutputCount };
constexpr std::array<const char*, kOutputCount> kAttributeNames{"Title", "WM/AlbumTitle", "Author"};

std::string Render(const AsfAttribute& attribute) {
    switch (attribute.type) {
        case AsfType::String: {
            const std::u16string_view text(attribute.text);
            return codepage::Utf16ToCp936Uncached(text.substr(0, text.find(u'\0')));
        }
        case AsfType::DWord:
            return ansi::Format("%d", static_cast<std::int32_t>(attribute.number));
        case AsfType::QWord: {
            // Only the low 32 bits of the seconds count, taken as signed.
            const auto seconds = static_cast<std::int32_t>(
                static_cast<std::uint32_t>(attribute.number / kTicksPerSecond));
            return ansi::Format("%0d:%02d", seconds / 60, seconds % 60);
        }
        case AsfType::Other:
            break;
    }
    return {};
}

// Zero-filled, then at most 63 bytes of the text: the cut is by bytes, so a double-byte
// character across byte 63 keeps only its lead byte. The text holds no NUL of its own.
Result CutToResult(const std::string& text) {
    Result result{};
    text.copy(result.data(), kResultSize - 1);
    return result;
}

Result ReadResult(const asfmeta::AsfReader& reader, const char* name) {
    const auto attribute = reader.GetAttributeByName(name);
    if (!attribute || attribute->length == 0 || attribute->length > kValueBufferSize) {
        return {};
    }
    return CutToResult(Render(*attribute));
}

void CopyResult(const Result& result, char* out) {
    std::memcpy(out, result.data(), std::strlen(result.data()) + 1);
}

}  // namespace

int GetAsfmeta(const char* path, char* title, char* artist, char* album) {
    if (path == nullptr || title == nullptr || artist == nullptr || album == nullptr) {
        return 0;
    }
    try {
        asfmeta::AsfReader reader;
        if (!reader.Open(path)) {
            return 0;
        }
        std::array<Result, kOutputCount> results{};
        for (std::size_t i = 0; i < kOutputCount; ++i) {
            results[i] = ReadResult(reader, kAttributeNames[i]);
        }
        reader.Close();
        CopyResult(results[kTitle], title);
        CopyResult(results[kAuthor], artist);
        CopyResult(results[kAlbum], album);
        return 1;
    } catch (...) {
        // The caller is plain C; nothing may unwind into it.
        return 0;
    }
}
