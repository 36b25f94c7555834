#include "platform/ansistring.h"

#include <cstdarg>
#include <cstdio>

#include "platform/ascii.h"
#include "platform/codepage.h"

namespace ansi {
namespace {

using codepage::CharLength;

int ToInt(std::size_t pos) {
    return static_cast<int>(pos);
}

bool IsSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

}  // namespace

int Find(std::string_view text, std::string_view needle, int start) {
    if (needle.empty() || start < 0) {
        return -1;
    }
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
        if (pos >= static_cast<std::size_t>(start) && text.substr(pos).starts_with(needle)) {
            return ToInt(pos);
        }
    }
    return -1;
}

int Find(std::string_view text, char ch, int start) {
    return Find(text, std::string_view(&ch, 1), start);
}

int ReverseFind(std::string_view text, char ch) {
    int found = -1;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
        if (text[pos] == ch && CharLength(text, pos) == 1) {
            found = ToInt(pos);
        }
    }
    return found;
}

int Replace(std::string& text, std::string_view oldText, std::string_view newText) {
    if (oldText.empty()) {
        return 0;
    }
    std::string result;
    int count = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (std::string_view(text).substr(pos).starts_with(oldText)) {
            result += newText;
            pos += oldText.size();
            ++count;
        } else {
            const std::size_t length = CharLength(text, pos);
            result.append(text, pos, length);
            pos += length;
        }
    }
    text = std::move(result);
    return count;
}

void TrimLeft(std::string& text) {
    std::size_t first = 0;
    while (first < text.size() && IsSpace(text[first])) {
        ++first;
    }
    text.erase(0, first);
}

void TrimRight(std::string& text) {
    // Walk forward so that a space taken as the trail of a lone lead byte stays.
    std::size_t end = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
        if (CharLength(text, pos) == 2 || !IsSpace(text[pos])) {
            end = pos + CharLength(text, pos);
        }
    }
    text.erase(end);
}

void MakeLower(std::string& text) {
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
        text[pos] = AsciiLower(text[pos]);  // a lead byte is never a letter
    }
}

std::string Left(std::string_view text, int count) {
    if (count <= 0) {
        return {};
    }
    return std::string(text.substr(0, static_cast<std::size_t>(count)));
}

std::string Mid(std::string_view text, int first) {
    if (first <= 0) {
        return std::string(text);
    }
    if (static_cast<std::size_t>(first) >= text.size()) {
        return {};
    }
    return std::string(text.substr(static_cast<std::size_t>(first)));
}

std::string Right(std::string_view text, int count) {
    if (count <= 0) {
        return {};
    }
    const auto n = static_cast<std::size_t>(count);
    return std::string(n >= text.size() ? text : text.substr(text.size() - n));
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string result;
    if (length > 0) {
        result.resize(static_cast<std::size_t>(length));
        std::vsnprintf(result.data(), result.size() + 1, format, args);
    }
    va_end(args);
    return result;
}

}  // namespace ansi
