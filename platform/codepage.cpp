#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <stdexcept>
#include <vector>

namespace codepage {
namespace {

// One iconv descriptor per direction and thread: opening one costs far more than a title.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {
        if (m_cd == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of `in`; a sequence that does not convert loses `unit` bytes and the
    // conversion goes on after it.
    std::string Run(const char* data, std::size_t size, std::size_t unit) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        std::vector<char> chunk(4 * size + 16);
        char* in = const_cast<char*>(data);
        std::size_t inLeft = size;
        while (inLeft > 0) {
            char* dst = chunk.data();
            std::size_t dstLeft = chunk.size();
            const std::size_t done = iconv(m_cd, &in, &inLeft, &dst, &dstLeft);
            out.append(chunk.data(), dst);
            if (done != static_cast<std::size_t>(-1)) {
                continue;
            }
            if (errno == EILSEQ) {
                const std::size_t skip = inLeft < unit ? inLeft : unit;
                in += skip;
                inLeft -= skip;
            } else if (errno != E2BIG) {
                // EINVAL: the text ends inside a character (a byte cut). Dropping only its
                // first byte would let the rest through as text, such as the ASCII digit
                // that is the second byte of every four-byte GB18030 sequence.
                break;
            }
        }
        return out;
    }

    // Converts all of `in`, or nothing when a sequence does not convert or is cut short.
    std::optional<std::string> RunStrict(const char* data, std::size_t size) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        std::string out(4 * size + 16, '\0');
        char* in = const_cast<char*>(data);
        std::size_t inLeft = size;
        char* dst = out.data();
        std::size_t dstLeft = out.size();
        if (iconv(m_cd, &in, &inLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1) ||
            iconv(m_cd, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
            return std::nullopt;
        }
        out.resize(out.size() - dstLeft);
        return out;
    }

private:
    iconv_t m_cd;
};

bool IsPrivateUse(char16_t unit) {
    return unit >= 0xE000 && unit <= 0xF8FF;
}

// The converter from `charset` to UTF-16, one per set and thread.
Converter& ToUtf16From(const char* charset) {
    thread_local std::map<std::string, Converter, std::less<>> converters;
    const auto found = converters.find(std::string_view(charset));
    if (found != converters.end()) {
        return found->second;
    }
    return converters.try_emplace(charset, "UTF-16LE", charset).first->second;
}

std::string_view UpToNul(std::string_view text) {
    const auto nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        // The length a lead byte gives and the range its second byte must lie in, so that no
        // overlong form, surrogate or code point past U+10FFFF passes (GBK bytes often would).
        std::size_t length = 0;
        unsigned low = 0x80;
        unsigned high = 0xBF;
        if (lead < 0x80) {
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        if (length == 0 || text.size() - i < length) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto byte = static_cast<unsigned char>(text[i + k]);
            if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xBF)) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

std::string Cp936ToUtf8(std::string_view text) {
    thread_local Converter converter("UTF-8", "GB18030");
    text = UpToNul(text);
    return converter.Run(text.data(), text.size(), 1);
}

std::string Utf8ToCp936(std::string_view text) {
    thread_local Converter converter("GB18030", "UTF-8");
    return converter.Run(text.data(), text.size(), 1);
}

std::optional<std::string> DecodeToCp936(std::string_view text, const char* charset) {
    text = UpToNul(text);
    const std::optional<std::string> bytes =
        ToUtf16From(charset).RunStrict(text.data(), text.size());
    if (!bytes) {
        return std::nullopt;
    }
    std::u16string units(bytes->size() / 2, u'\0');
    std::memcpy(units.data(), bytes->data(), units.size() * sizeof(char16_t));
    if (std::any_of(units.begin(), units.end(), IsPrivateUse)) {
        return std::nullopt;
    }
    return Utf16ToCp936(units);
}

std::string Utf16ToCp936(std::u16string_view text) {
    thread_local Converter converter("GB18030", "UTF-16LE");
    return converter.Run(reinterpret_cast<const char*>(text.data()), text.size() * 2, 2);
}

std::string Utf16ToCp936Uncached(std::u16string_view text) {
    Converter converter("GB18030", "UTF-16LE");
    return converter.Run(reinterpret_cast<const char*>(text.data()), text.size() * 2, 2);
}

std::string Cp936ToUtf8Uncached(std::string_view text) {
    text = UpToNul(text);
    return Converter("UTF-8", "GB18030").Run(text.data(), text.size(), 1);
}

std::string Utf8ToCp936Uncached(std::string_view text) {
    return Converter("GB18030", "UTF-8").Run(text.data(), text.size(), 1);
}

std::u16string Cp936ToUtf16Uncached(std::string_view text) {
    text = UpToNul(text);
    const std::string bytes = Converter("UTF-16LE", "GB18030").Run(text.data(), text.size(), 1);
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    return units;
}

}  // namespace codepage
