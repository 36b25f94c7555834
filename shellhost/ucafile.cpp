#include "shellhost/ucafile.h"

#include <vector>

#include "platform/ascii.h"

namespace {

constexpr std::string_view kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// The position after the markup that starts at `at` (a comment, a CDATA section, a
// processing instruction or a tag), npos when it is not closed.
std::size_t SkipMarkup(std::string_view text, std::size_t at) {
    for (const auto& [open, close] : {std::pair<std::string_view, std::string_view>{"<!--", "-->"},
                                      {"<![CDATA[", "]]>"},
                                      {"<?", "?>"}}) {
        if (text.substr(at).starts_with(open)) {
            const auto end = text.find(close, at + open.size());
            return end == std::string_view::npos ? end : end + close.size();
        }
    }
    const auto end = text.find('>', at);
    return end == std::string_view::npos ? end : end + 1;
}

bool IsTag(std::string_view text, std::size_t at, std::string_view name) {
    const std::string_view rest = text.substr(at);
    if (!rest.starts_with(name) || rest.size() == name.size()) {
        return false;
    }
    const char next = rest[name.size()];
    return next == '>' || next == ' ' || next == '\t' || next == '\n' || next == '\r' ||
           next == '/';
}

struct ActionSpan {
    std::size_t begin;
    std::size_t end;  // after "</action>" and the line break that follows it
    std::string_view body;
};

std::string_view UniqueId(std::string_view body) {
    const auto open = body.find("<unique-id>");
    const auto close = body.find("</unique-id>");
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        return {};
    }
    const std::size_t start = open + std::string_view("<unique-id>").size();
    return TrimmedAscii(body.substr(start, close - start), " \t\r\n");
}

// The `<action>` elements inside the root and the position of `</actions>`; false when the
// file has no root or an element is not closed.
bool FindActions(std::string_view text, std::vector<ActionSpan>& actions, std::size_t& rootEnd) {
    std::size_t at = 0;
    bool inRoot = false;
    while ((at = text.find('<', at)) != std::string_view::npos) {
        if (!inRoot && IsTag(text, at, "<actions")) {
            inRoot = true;
        } else if (inRoot && text.substr(at).starts_with("</actions>")) {
            rootEnd = at;
            return true;
        } else if (inRoot && IsTag(text, at, "<action")) {
            const auto close = text.find("</action>", at);
            if (close == std::string_view::npos) {
                return false;
            }
            std::size_t end = close + std::string_view("</action>").size();
            end += text.substr(end).starts_with("\r\n") ? 2 : text.substr(end).starts_with('\n');
            actions.push_back({at, end, text.substr(at, close - at)});
            at = end;
            continue;
        }
        at = SkipMarkup(text, at);
        if (at == std::string_view::npos) {
            return false;
        }
    }
    return false;
}

}  // namespace

std::string NewUcaFile(std::string_view actions) {
    return std::string(kHeader) + "<actions>\n" + std::string(actions) + "</actions>\n";
}

std::optional<std::string> MergeUcaActions(std::string_view text, std::string_view idPrefix,
                                           std::string_view actions) {
    std::vector<ActionSpan> spans;
    std::size_t rootEnd = 0;
    if (!FindActions(text, spans, rootEnd)) {
        return std::nullopt;
    }
    std::string merged;
    std::size_t copied = 0;
    bool placed = false;
    for (const ActionSpan& span : spans) {
        if (!UniqueId(span.body).starts_with(idPrefix)) {
            continue;
        }
        merged.append(text.substr(copied, span.begin - copied));
        if (!placed) {
            merged.append(actions);
            placed = true;
        }
        copied = span.end;
    }
    if (!placed) {
        merged.append(text.substr(copied, rootEnd - copied));
        if (!actions.empty() && !merged.empty() && !merged.ends_with('\n')) {
            merged += '\n';
        }
        merged.append(actions);
        copied = rootEnd;
    }
    merged.append(text.substr(copied));
    return merged;
}

bool HasUcaActions(std::string_view text) {
    std::vector<ActionSpan> spans;
    std::size_t rootEnd = 0;
    return FindActions(text, spans, rootEnd) && !spans.empty();
}
