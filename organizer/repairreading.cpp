#include "organizer/repairreading.h"

#include <algorithm>
#include <array>

#include "organizer/widenedtext.h"
#include "platform/ascii.h"
#include "platform/codepage.h"

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

// The step lines' names of the fields, by role, as for MP3 files.
constexpr std::array<const char*, 4> kRoleNames = {"title", "artist", "band", "album"};

std::size_t IndexOf(FieldRole role) {
    return static_cast<std::size_t>(role);
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

std::vector<RepairedField> RepairTagFields(const std::vector<RepairCandidate>& candidates,
                                           const ChineseConverter& converter) {
    std::array<const RepairCandidate*, kRoleNames.size()> first{};
    FormatFields values;
    for (const RepairCandidate& candidate : candidates) {
        if (first[IndexOf(candidate.role)] == nullptr) {
            first[IndexOf(candidate.role)] = &candidate;
            values.Offer(candidate.role, candidate.value);
        }
    }
    std::vector<RepairedField> repaired;
    for (const RepairCandidate* candidate : first) {
        if (candidate == nullptr || candidate->value.find('\0') != std::string_view::npos) {
            continue;
        }
        std::optional<RepairReading> reading =
            RepairReadingOf(FormatFieldText(candidate->value, values.HoldsRawBytes()), converter);
        if (reading) {
            repaired.push_back({candidate->index, kRoleNames[IndexOf(candidate->role)],
                                std::move(reading->shown),
                                codepage::Cp936ToUtf8(reading->repaired)});
        }
    }
    std::sort(repaired.begin(), repaired.end(),
              [](const RepairedField& a, const RepairedField& b) { return a.index < b.index; });
    return repaired;
}
