#include "platform/ascii.h"

std::string AsciiLower(std::string text) {
    for (char& c : text) {
        c = AsciiLower(c);
    }
    return text;
}

std::string AsciiUpper(std::string text) {
    for (char& c : text) {
        c = AsciiUpper(c);
    }
    return text;
}
