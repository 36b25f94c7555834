#include "organizer/widenedtext.h"

#include "organizer/eightbitreading.h"
#include "platform/codepage.h"

std::optional<std::string> NarrowWidenedText(std::string_view text) {
    const std::string utf8 = codepage::Cp936ToUtf8(text);
    std::string bytes;
    bool beyondAscii = false;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            bytes += utf8[i];
            continue;
        }
        // U+0080-U+00FF are the two-byte sequences that start with 0xC2 or 0xC3.
        if ((byte != 0xC2 && byte != 0xC3) || i + 1 == utf8.size()) {
            return std::nullopt;
        }
        const auto next = static_cast<unsigned char>(utf8[++i]);
        bytes += static_cast<char>((byte & 0x03) << 6 | (next & 0x3F));
        beyondAscii = true;
    }
    if (!beyondAscii) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> WidenedChineseBytes(std::string_view text,
                                               const ChineseConverter& converter) {
    std::optional<std::string> bytes = NarrowWidenedText(text);
    if (!bytes || IsLatinText(*bytes) ||
        ChineseConverter::IsPureGb2312(converter.ConvertIfBig5(*bytes)) != 1) {
        return std::nullopt;
    }
    return bytes;
}
