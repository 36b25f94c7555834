#include "organizer/chineseconverter.h"

#include "platform/codepage.h"
#include "platform/systeminfo.h"

namespace {

constexpr unsigned kPrimaryLanguageChinese = 0x04;
constexpr unsigned kSubLanguageSimplified = 0x02;
constexpr int kBigToGbColumns = 191;

// The text as far as a C string would reach.
std::string_view UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

bool IsHanziLead(unsigned char byte) {
    return byte >= 0xB0 && byte <= 0xF7;
}
bool IsHanziTrail(unsigned char byte) {
    return byte >= 0xA1 && byte <= 0xFE;
}

}  // namespace

int ChineseConverter::IsSystemGb2312() {
    const unsigned id = sysinfo::GetSystemDefaultLangID();
    const bool simplified =
        (id & 0x3FF) == kPrimaryLanguageChinese && (id >> 10) == kSubLanguageSimplified;
    return simplified ? 0 : -1;
}

int ChineseConverter::IsPureGb2312(std::string_view text) {
    text = UpToNul(text);
    int doubles = 0;
    int hanzi = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!codepage::IsDBCSLeadByte(byte)) {
            continue;
        }
        ++doubles;
        // Past the end stands the terminating NUL, which is no hanzi trail byte.
        const bool hasTrail = i + 1 < text.size();
        if (hasTrail && IsHanziLead(byte) &&
            IsHanziTrail(static_cast<unsigned char>(text[i + 1]))) {
            ++hanzi;
        }
        ++i;
    }
    return doubles == hanzi ? 1 : 0;
}

std::string ChineseConverter::Big5ToGb2312(std::string_view text) const {
    text = UpToNul(text);
    std::string result(text);
    const unsigned char* table = m_tables.GetBigToGbTable();
    if (table == nullptr) {
        return result;
    }
    for (std::size_t i = 0; i + 1 < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const auto trail = static_cast<unsigned char>(text[i + 1]);
        if (lead < 0xA1 || trail < 0x40) {
            ++i;
            continue;
        }
        // The table ends at 0xFE; a pair with a 0xFF byte stays as it is.
        if (lead != 0xFF && trail != 0xFF) {
            const unsigned char* entry =
                table + ((lead - 0xA1) * kBigToGbColumns + (trail - 0x40)) * 2;
            result[i] = static_cast<char>(entry[0]);
            result[i + 1] = static_cast<char>(entry[1]);
        }
        i += 2;
    }
    return result;
}

std::string ChineseConverter::ConvertIfBig5(std::string_view text) const {
    return IsPureGb2312(text) == 1 ? std::string(UpToNul(text)) : Big5ToGb2312(text);
}

std::string ChineseConverter::SimplifyTraditional(std::string_view text) const {
    std::call_once(m_simplifierMade, [this] {
        m_pSimplifier = std::make_unique<TraditionalSimplifier>(m_tables.GetBigToGbTable());
    });
    return m_pSimplifier->Simplify(text);
}
