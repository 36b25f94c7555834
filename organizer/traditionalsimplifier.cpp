#include "organizer/traditionalsimplifier.h"

#include <optional>

#include "platform/codepage.h"

namespace {

constexpr int kBigToGbColumns = 191;
constexpr std::uint16_t kNoCounterpart = 0xA1A1;  // the ideographic space fills the table

unsigned ByteAt(std::string_view text, std::size_t pos) {
    return static_cast<unsigned char>(text[pos]);
}

bool IsBig5Trail(unsigned byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0xA1 && byte <= 0xFE);
}

bool IsGb2312Character(std::uint16_t code) {
    const unsigned lead = code >> 8;
    const unsigned trail = code & 0xFF;
    return lead >= 0xA1 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE;
}

// Length of the GB18030 character at `pos`: one byte below 0x81, four for a lead byte and a
// digit, else two; 0 for a character cut short by the end of the text.
std::size_t CharacterLength(std::string_view text, std::size_t pos) {
    const std::size_t left = text.size() - pos;
    if (ByteAt(text, pos) < 0x81) {
        return 1;
    }
    if (left < 2) {
        return 0;
    }
    const unsigned second = ByteAt(text, pos + 1);
    if (second >= '0' && second <= '9') {
        return left >= 4 ? 4 : 0;
    }
    return 2;
}

std::uint32_t Pack(std::string_view bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        value = value << 8 | ByteAt(bytes, i);
    }
    return value;
}

}  // namespace

TraditionalSimplifier::TraditionalSimplifier(const unsigned char* bigToGb) {
    if (bigToGb == nullptr) {
        return;
    }
    for (unsigned lead = 0xA1; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (!IsBig5Trail(trail)) {
                continue;
            }
            const unsigned char* entry =
                bigToGb + ((lead - 0xA1) * kBigToGbColumns + (trail - 0x40)) * 2;
            const auto code = static_cast<std::uint16_t>(entry[0] << 8 | entry[1]);
            if (code == kNoCounterpart || !IsGb2312Character(code)) {
                continue;
            }
            const char pair[] = {static_cast<char>(lead), static_cast<char>(trail)};
            const std::optional<std::string> character =
                codepage::DecodeToCp936(std::string_view(pair, 2), "CP950");
            // A character two Big5 codes share keeps the entry of the first.
            if (character) {
                simplified_.try_emplace(Pack(*character), code);
            }
        }
    }
}

std::string TraditionalSimplifier::Simplify(std::string_view text) const {
    std::string result;
    result.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = CharacterLength(text, pos);
        if (length == 0) {
            break;
        }
        const std::string_view character = text.substr(pos, length);
        const auto found = length > 1 ? simplified_.find(Pack(character)) : simplified_.end();
        if (found != simplified_.end()) {
            result += static_cast<char>(found->second >> 8);
            result += static_cast<char>(found->second & 0xFF);
        } else {
            result += character;
        }
        pos += length;
    }
    return result;
}
