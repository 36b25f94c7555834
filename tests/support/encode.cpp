#include "tests/support/encode.h"

#include <iconv.h>

std::optional<std::string> EncodeAs(std::string_view utf8, const char* charset) {
    const iconv_t cd = iconv_open(charset, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string out(4 * utf8.size() + 8, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    const bool done = iconv(cd, &in, &inLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!done) {
        return std::nullopt;
    }
    out.resize(out.size() - dstLeft);
    return out;
}

std::u16string Utf16Of(std::string_view utf8) {
    const std::string bytes = EncodeAs(utf8, "UTF-16LE").value_or("");
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       static_cast<unsigned char>(bytes[i + 1]) << 8);
    }
    return units;
}

std::u16string Widened(std::string_view bytes) {
    std::u16string units;
    for (const char byte : bytes) {
        units += static_cast<char16_t>(static_cast<unsigned char>(byte));
    }
    return units;
}
