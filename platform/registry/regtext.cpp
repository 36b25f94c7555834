#include "platform/registry/regtext.h"

#include "platform/ascii.h"
#include "platform/codepage.h"

#include <optional>
#include <vector>

namespace registry_detail {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::string_view kHexDigits = "0123456789abcdef";

// The logical lines of the file: CR LF or LF endings, and hex data continued over several
// lines with a trailing ",\" as regedit wraps it.
std::vector<std::string> SplitLines(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    std::vector<std::string> lines;
    bool continued = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (continued) {
            lines.back() += TrimmedAscii(line);
        } else {
            lines.emplace_back(line);
        }
        continued = TrimmedAscii(lines.back()).ends_with(",\\");
        if (continued) {
            lines.back().erase(lines.back().rfind('\\'));
        }
    }
    return lines;
}

// A quoted string at the start of `text`: its unescaped bytes, and `text` moved past it.
std::optional<std::string> TakeQuoted(std::string_view& text) {
    if (!text.starts_with('"')) {
        return std::nullopt;
    }
    std::string result;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '"') {
            text.remove_prefix(i + 1);
            return result;
        }
        if (text[i] == '\\') {
            if (i + 1 == text.size() || (text[i + 1] != '\\' && text[i + 1] != '"')) {
                return std::nullopt;
            }
            ++i;
        }
        result += text[i];
    }
    return std::nullopt;
}

// "41,42,00": every byte as exactly two hex digits.
std::optional<std::string> ParseHexBytes(std::string_view text) {
    std::string bytes;
    while (!text.empty()) {
        const auto comma = text.find(',');
        const std::string_view item = TrimmedAscii(text.substr(0, comma));
        if (item.size() != 2 || HexDigitValue(item[0]) < 0 || HexDigitValue(item[1]) < 0) {
            return std::nullopt;
        }
        bytes += static_cast<char>(HexDigitValue(item[0]) * 16 + HexDigitValue(item[1]));
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
        if (text.empty()) {
            return std::nullopt;
        }
    }
    return bytes;
}

// "dword:0000000a": exactly eight digits, so that a line cut short does not pass.
std::optional<RegValue> ParseDword(std::string_view digits) {
    if (digits.size() != 8) {
        return std::nullopt;
    }
    DWORD number = 0;
    for (char c : digits) {
        if (HexDigitValue(c) < 0) {
            return std::nullopt;
        }
        number = number * 16 + static_cast<DWORD>(HexDigitValue(c));
    }
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) {
        bytes += static_cast<char>((number >> shift) & 0xFF);
    }
    return RegValue{{}, REG_DWORD, bytes};
}

// "hex:..." or "hex(<type>):...". A hex(1) string must end with its one terminating 00: a
// line cut short, or a string with a NUL inside, does not pass.
std::optional<RegValue> ParseHex(std::string_view data) {
    DWORD type = REG_BINARY;
    if (data.starts_with("hex(")) {
        const auto close = data.find("):");
        if (close == std::string_view::npos || close == 4 || close > 12) {
            return std::nullopt;
        }
        type = 0;
        for (char c : data.substr(4, close - 4)) {
            if (HexDigitValue(c) < 0) {
                return std::nullopt;
            }
            type = type * 16 + static_cast<DWORD>(HexDigitValue(c));
        }
        data.remove_prefix(close + 2);
    } else if (data.starts_with("hex:")) {
        data.remove_prefix(4);
    } else {
        return std::nullopt;
    }
    auto bytes = ParseHexBytes(data);
    if (!bytes) {
        return std::nullopt;
    }
    if (type == REG_SZ) {
        if (!bytes->ends_with('\0') || bytes->find('\0') != bytes->size() - 1) {
            return std::nullopt;
        }
        bytes->pop_back();
    }
    return RegValue{{}, type, std::move(*bytes)};
}

std::optional<RegValue> ParseData(std::string_view data) {
    if (data.starts_with('"')) {
        auto text = TakeQuoted(data);
        if (!text || !TrimmedAscii(data).empty()) {
            return std::nullopt;
        }
        return RegValue{{}, REG_SZ, std::move(*text)};
    }
    if (data.starts_with("dword:")) {
        return ParseDword(data.substr(6));
    }
    return ParseHex(data);
}

// `"name"=data` or `@=data`.
std::optional<RegValue> ParseValueLine(std::string_view line) {
    std::string name;
    if (line.starts_with('@')) {
        line.remove_prefix(1);
    } else {
        auto quoted = TakeQuoted(line);
        if (!quoted || quoted->find_first_of("\r\n") != std::string::npos) {
            return std::nullopt;
        }
        name = std::move(*quoted);
    }
    line = TrimmedAscii(line);
    if (!line.starts_with('=')) {
        return std::nullopt;
    }
    auto value = ParseData(TrimmedAscii(line.substr(1)));
    if (value) {
        value->name = std::move(name);
    }
    return value;
}

// "[HKEY_CURRENT_USER\Software\Sortune]": the key path below the hive, "" for the hive itself.
std::optional<std::string> ParseSection(std::string_view line, std::string_view hiveName) {
    if (!line.ends_with(']')) {
        return std::nullopt;
    }
    const std::string_view full = line.substr(1, line.size() - 2);
    if (FoldCase(full.substr(0, hiveName.size())) != FoldCase(hiveName)) {
        return std::nullopt;
    }
    std::string_view path = full.substr(hiveName.size());
    if (path.empty()) {
        return std::string{};
    }
    if (!path.starts_with('\\')) {
        return std::nullopt;
    }
    path.remove_prefix(1);
    if (path.empty() || path.starts_with('\\') || path.ends_with('\\') ||
        path.find("\\\\") != std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(path);
}

bool IsPlainText(std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            return false;
        }
    }
    return codepage::IsValidUtf8(text);
}

std::string Quote(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

std::string HexBytes(std::string_view bytes) {
    std::string hex;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (!hex.empty()) {
            hex += ',';
        }
        hex += kHexDigits[byte >> 4];
        hex += kHexDigits[byte & 0xF];
    }
    return hex;
}

std::string FormatData(const RegValue& value) {
    if (value.type == REG_SZ) {
        return IsPlainText(value.data) ? Quote(value.data)
                                       : "hex(1):" + HexBytes(value.data + '\0');
    }
    if (value.type == REG_DWORD && value.data.size() == 4) {
        DWORD number = 0;
        for (int i = 3; i >= 0; --i) {
            number = number << 8 | static_cast<unsigned char>(value.data[i]);
        }
        std::string digits(8, '0');
        for (int i = 7; i >= 0; --i, number >>= 4) {
            digits[i] = kHexDigits[number & 0xF];
        }
        return "dword:" + digits;
    }
    if (value.type == REG_BINARY) {
        return "hex:" + HexBytes(value.data);
    }
    std::string type;
    for (DWORD rest = value.type; rest != 0 || type.empty(); rest >>= 4) {
        type.insert(type.begin(), kHexDigits[rest & 0xF]);
    }
    return "hex(" + type + "):" + HexBytes(value.data);
}

}  // namespace

ParsedHive ParseRegText(std::string_view text, std::string_view hiveName) {
    ParsedHive parsed;
    RegKeyNode* current = nullptr;
    bool headerSeen = false;
    for (const std::string& rawLine : SplitLines(text)) {
        const std::string_view line = TrimmedAscii(rawLine);
        if (line.empty() || line.starts_with(';')) {
            continue;
        }
        if (!headerSeen) {
            headerSeen = true;
            if (line == kHeader || line == kOldHeader) {
                continue;
            }
            parsed.clean = false;
        }
        if (line.starts_with('[')) {
            const auto path = ParseSection(line, hiveName);
            current = path ? &parsed.hive.CreateKey(*path) : nullptr;
            parsed.clean = parsed.clean && path.has_value();
            continue;
        }
        auto value = ParseValueLine(line);
        if (!value || current == nullptr) {
            parsed.clean = false;
            continue;
        }
        current->SetValue(std::move(*value));
    }
    return parsed;
}

std::string FormatRegText(const Hive& hive, std::string_view hiveName) {
    std::string text = std::string(kHeader) + "\n";
    for (const RegKeyNode* key : hive.Keys()) {
        if (key->path.empty() && key->values.empty()) {
            continue;
        }
        text += "\n[" + std::string(hiveName) + (key->path.empty() ? "" : "\\") + key->path + "]\n";
        for (const auto& [id, value] : key->values) {
            text += value.name.empty() ? std::string("@") : Quote(value.name);
            text += "=" + FormatData(value) + "\n";
        }
    }
    return text;
}

}  // namespace registry_detail
