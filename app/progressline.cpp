#include "app/progressline.h"

#include <utility>
#include <vector>

namespace {

constexpr std::uint32_t kTerminalInterval = 100;  // ms: at most ten showings a second
constexpr std::uint32_t kLinesInterval = 1000;    // ms: at most one line a second
constexpr int kDefaultColumns = 80;
constexpr const char* kEraseToEnd = "\x1b[K";
constexpr const char* kEllipsis = "…";

// The length of the UTF-8 sequence that starts with `lead`; a stray byte counts alone.
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8) {
        return 4;
    }
    if (lead >= 0xE0) {
        return lead < 0xF0 ? 3 : 1;
    }
    return lead >= 0xC0 ? 2 : 1;
}

char32_t Decode(const std::string& text, std::size_t at, std::size_t length) {
    if (length == 1) {
        return static_cast<unsigned char>(text[at]);
    }
    char32_t code = static_cast<unsigned char>(text[at]) & (0xFF >> (length + 1));
    for (std::size_t i = 1; i < length; ++i) {
        code = code << 6 | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    }
    return code;
}

bool IsWide(char32_t code) {
    return (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
           (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
           (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
           (code >= 0xFFE0 && code <= 0xFFE6) || (code >= 0x20000 && code <= 0x3FFFD);
}

// Calls `visit(start, length, columns)` for each character of `text`.
template <typename Visit>
void ForEachCharacter(const std::string& text, Visit visit) {
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = SequenceLength(static_cast<unsigned char>(text[at]));
        length = at + length > text.size() ? 1 : length;
        visit(at, length, IsWide(Decode(text, at, length)) ? 2 : 1);
        at += length;
    }
}

}  // namespace

int DisplayWidth(const std::string& text) {
    int width = 0;
    ForEachCharacter(text, [&](std::size_t, std::size_t, int columns) { width += columns; });
    return width;
}

std::string FitWidth(const std::string& text, int width) {
    std::size_t end = 0;
    int used = 0;
    ForEachCharacter(text, [&](std::size_t at, std::size_t length, int columns) {
        if (end == at && used + columns <= width) {
            used += columns;
            end = at + length;
        }
    });
    return text.substr(0, end);
}

std::string ShortenFromLeft(const std::string& text, int width) {
    if (DisplayWidth(text) <= width) {
        return text;
    }
    if (width < 1) {
        return {};
    }
    // The widths of every character, then the longest tail that fits beside the ellipsis.
    std::vector<std::pair<std::size_t, int>> characters;
    ForEachCharacter(text, [&](std::size_t at, std::size_t, int columns) {
        characters.emplace_back(at, columns);
    });
    int used = 1;
    std::size_t start = text.size();
    for (auto it = characters.rbegin(); it != characters.rend(); ++it) {
        if (used + it->second > width) {
            break;
        }
        used += it->second;
        start = it->first;
    }
    return kEllipsis + text.substr(start);
}

ProgressLine::ProgressLine(std::ostream& out, Mode mode, int columns, TickSource tick)
    : out_(out),
      mode_(mode),
      // The last column stays free: writing into it makes some terminals wrap.
      width_((columns > 1 ? columns : kDefaultColumns) - 1),
      tick_(std::move(tick)) {}

void ProgressLine::Show(const std::string& text) {
    if (mode_ == Mode::Quiet) {
        return;
    }
    const std::uint32_t now = tick_();
    const std::uint32_t interval = mode_ == Mode::Terminal ? kTerminalInterval : kLinesInterval;
    if (shownOnce_ && now - lastShown_ < interval) {
        return;
    }
    shownOnce_ = true;
    lastShown_ = now;
    if (mode_ == Mode::Terminal) {
        Write("\r" + FitWidth(text, width_) + kEraseToEnd);
        live_ = true;
    } else {
        Write(text + "\n");
        lastLine_ = text;
    }
}

void ProgressLine::Note(const std::string& text) {
    if (mode_ == Mode::Quiet || (mode_ == Mode::Lines && text == lastLine_)) {
        return;
    }
    Print(text);
}

void ProgressLine::Print(const std::string& text) {
    Clear();
    Write(text + "\n");
    lastLine_ = text;
}

void ProgressLine::Clear() {
    if (live_) {
        Write(std::string("\r") + kEraseToEnd);
        live_ = false;
    }
}

void ProgressLine::Write(const std::string& bytes) {
    out_ << bytes;
    out_.flush();
}
