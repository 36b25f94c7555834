#include "shellhost/quoting.h"

#include "platform/ascii.h"

std::string KeyFileValue(std::string_view value) {
    std::string escaped;
    for (std::size_t i = 0; i < value.size(); ++i) {
        switch (value[i]) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\r':
                escaped += "\\r";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case ' ':
                escaped += i == 0 ? "\\s" : " ";
                break;
            default:
                escaped += value[i];
        }
    }
    return escaped;
}

std::string ExecLine(const std::vector<std::string>& words, std::string_view fieldCode) {
    constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string line;
    for (const std::string& word : words) {
        const bool quote = word.empty() || word.find_first_of(kReserved) != std::string::npos;
        line += quote ? "\"" : "";
        for (const char c : word) {
            if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
                line += '\\';
            }
            line += c == '%' ? "%%" : std::string(1, c);
        }
        line += quote ? "\" " : " ";
    }
    return line + std::string(fieldCode);
}

std::string ShellWord(std::string_view word) {
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string XmlText(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string PathOfFileUri(const std::string& argument) {
    std::string_view rest = argument;
    for (const std::string_view prefix : {"file:///", "file://localhost/"}) {
        if (rest.starts_with(prefix)) {
            rest.remove_prefix(prefix.size() - 1);  // keeps the path's slash
            std::string path;
            for (std::size_t i = 0; i < rest.size(); ++i) {
                const int high =
                    rest[i] == '%' && i + 2 < rest.size() ? HexDigitValue(rest[i + 1]) : -1;
                const int low = high >= 0 ? HexDigitValue(rest[i + 2]) : -1;
                if (low < 0) {
                    path += rest[i];
                    continue;
                }
                path += static_cast<char>(high * 16 + low);
                i += 2;
            }
            return path;
        }
    }
    return argument;
}
