#include "organizer/eightbitreading.h"

#include <optional>

#include "platform/codepage.h"

namespace {

bool IsAscii(char byte) {
    return static_cast<unsigned char>(byte) < 0x80;
}

// The letters and punctuation marks among the bytes 0x80-0xFF of Windows-1252; its symbols,
// the no-break space, the soft hyphen and the unassigned bytes are none.
bool IsWindows1252LetterOrPunctuation(unsigned char byte) {
    switch (byte) {
        case 0x82:
        case 0x84:
        case 0x85:
        case 0x86:
        case 0x87:
        case 0x8B:  // ‚ „ … † ‡ ‹
        case 0x91:
        case 0x92:
        case 0x93:
        case 0x94:
        case 0x95:
        case 0x96:  // ‘ ’ “ ” • –
        case 0x97:
        case 0x9B:
        case 0xA1:
        case 0xA7:
        case 0xAB:
        case 0xB6:  // — › ¡ § « ¶
        case 0xB7:
        case 0xBB:
        case 0xBF:  // · » ¿
        case 0x83:
        case 0x8A:
        case 0x8C:
        case 0x8E:
        case 0x9A:
        case 0x9C:  // ƒ Š Œ Ž š œ
        case 0x9E:
        case 0x9F:
        case 0xAA:
        case 0xB5:
        case 0xBA:  // ž Ÿ ª µ º
            return true;
        default:
            return byte >= 0xC0 && byte != 0xD7 && byte != 0xF7;  // À-ÿ but × and ÷
    }
}

// The text without a lead byte that ends it alone: the trace of a cut inside a character.
std::string_view WithoutCutCharacter(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t length = codepage::CharLength(text, pos);
        if (pos + length == text.size() && length == 1 && codepage::IsDBCSLeadByte(text[pos])) {
            return text.substr(0, pos);
        }
        pos += length;
    }
    return text;
}

}  // namespace

bool IsLatinText(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsAscii(text[i])) {
            continue;
        }
        const bool alone =
            (i == 0 || IsAscii(text[i - 1])) && (i + 1 == text.size() || IsAscii(text[i + 1]));
        if (!alone || !IsWindows1252LetterOrPunctuation(static_cast<unsigned char>(text[i]))) {
            return false;
        }
    }
    return true;
}

std::string ReadEightBitText(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    if (IsLatinText(text)) {
        if (std::optional<std::string> latin = codepage::DecodeToCp936(text, "CP1252")) {
            return std::move(*latin);
        }
    }
    const std::string_view whole = WithoutCutCharacter(text);
    for (const char* charset : {"GBK", "CP950"}) {
        if (std::optional<std::string> read = codepage::DecodeToCp936(whole, charset)) {
            return std::move(*read);
        }
    }
    return codepage::Utf8ToCp936(codepage::Cp936ToUtf8(text));
}
