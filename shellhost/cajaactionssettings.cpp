#include "shellhost/cajaactionssettings.h"

#include <algorithm>
#include <optional>
#include <sstream>

#include "platform/ascii.h"

namespace {

constexpr std::string_view kGroup = "[runtime]";
constexpr std::string_view kTopKey = "items-level-zero-order";
constexpr std::string_view kOrderKey = "items-list-order-mode";
constexpr std::string_view kKeepOrder = "ManualOrder";

// The key of a `key=value` line, "" for any other line.
std::string_view KeyOf(std::string_view line) {
    const auto equals = line.find('=');
    return equals == std::string_view::npos ? std::string_view()
                                            : TrimmedAscii(line.substr(0, equals));
}

std::string_view ValueOf(std::string_view line) {
    return TrimmedAscii(line.substr(line.find('=') + 1));
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::istringstream in{std::string(text)};
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> SplitList(std::string_view value) {
    std::vector<std::string> ids;
    std::istringstream in{std::string(value)};
    for (std::string id; std::getline(in, id, ';');) {
        if (!TrimmedAscii(id).empty()) {
            ids.emplace_back(TrimmedAscii(id));
        }
    }
    return ids;
}

// The lines of group [runtime]: from after its header to the next group; nullopt without it.
struct GroupLines {
    std::size_t begin;
    std::size_t end;
};
std::optional<GroupLines> FindGroup(const std::vector<std::string>& lines) {
    const auto header = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return TrimmedAscii(line) == kGroup;
    });
    if (header == lines.end()) {
        return std::nullopt;
    }
    const auto next = std::find_if(header + 1, lines.end(), [](const std::string& line) {
        return TrimmedAscii(line).starts_with('[');
    });
    return GroupLines{static_cast<std::size_t>(header - lines.begin()) + 1,
                      static_cast<std::size_t>(next - lines.begin())};
}

std::optional<std::size_t> FindKey(const std::vector<std::string>& lines, const GroupLines& group,
                                   std::string_view key) {
    for (std::size_t i = group.begin; i < group.end; ++i) {
        if (KeyOf(lines[i]) == key) {
            return i;
        }
    }
    return std::nullopt;
}

std::vector<std::string> MergedTop(std::vector<std::string> ids, std::string_view idPrefix,
                                   const std::vector<std::string>& top) {
    std::erase_if(ids, [&](const std::string& id) {
        return id.starts_with(idPrefix) && std::find(top.begin(), top.end(), id) == top.end();
    });
    for (const std::string& id : top) {
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) {
            ids.push_back(id);
        }
    }
    return ids;
}

std::string TopLine(const std::vector<std::string>& ids) {
    std::string line = std::string(kTopKey) + "=";
    for (const std::string& id : ids) {
        line += id + ";";
    }
    return line;
}

}  // namespace

std::string WithCajaActionsTop(std::string_view settings, std::string_view idPrefix,
                               const std::vector<std::string>& top) {
    std::vector<std::string> lines = SplitLines(settings);
    std::optional<GroupLines> group = FindGroup(lines);
    const auto topAt = group ? FindKey(lines, *group, kTopKey) : std::nullopt;
    const std::vector<std::string> ids = MergedTop(
        topAt ? SplitList(ValueOf(lines[*topAt])) : std::vector<std::string>(), idPrefix, top);
    if (!topAt && ids.empty()) {
        return std::string(settings);
    }
    if (!group) {
        if (!lines.empty() && !TrimmedAscii(lines.back()).empty()) {
            lines.emplace_back();
        }
        lines.emplace_back(kGroup);
        group = GroupLines{lines.size(), lines.size()};
    }
    if (topAt) {
        lines[*topAt] = TopLine(ids);
    } else {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(group->begin), TopLine(ids));
        ++group->end;
    }
    if (!top.empty() && !FindKey(lines, *group, kOrderKey)) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(group->begin) + 1,
                     std::string(kOrderKey) + "=" + std::string(kKeepOrder));
    }
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

bool HasCajaActionsTop(std::string_view settings) {
    const std::vector<std::string> lines = SplitLines(settings);
    const std::optional<GroupLines> group = FindGroup(lines);
    const auto topAt = group ? FindKey(lines, *group, kTopKey) : std::nullopt;
    return topAt && !SplitList(ValueOf(lines[*topAt])).empty();
}
