#include "organizer/repairreading.h"

#include "organizer/widenedtext.h"
#include "platform/ascii.h"

namespace {

// Bytes as ISO-8859-1, the way a player shows 8-bit text it takes for Western text.
std::string Latin1ToUtf8(std::string_view bytes) {
    std::string out;
    for (const char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | byte >> 6);
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

}  // namespace

std::optional<RepairReading> RepairReadingOf(const FieldText& field,
                                             const ChineseConverter& converter) {
    std::string bytes = field.text;
    if (field.origin == TextOrigin::Unicode) {
        std::optional<std::string> widened = WidenedChineseBytes(field.text, converter);
        if (!widened) {
            return std::nullopt;
        }
        bytes = std::move(*widened);
    } else if (!HasNonAscii(bytes)) {
        return std::nullopt;
    }
    std::string read = converter.ConvertIfBig5(bytes);
    if (ChineseConverter::IsPureGb2312(read) != 1) {
        return std::nullopt;
    }
    return RepairReading{Latin1ToUtf8(bytes), std::move(read)};
}
