#include "platform/messagelanguage.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

bool MessagesInChinese() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return std::strncmp(value, "zh", 2) == 0;
        }
    }
    return false;
}

const char* ChineseOr(const char* chinese, const char* english) {
    return MessagesInChinese() ? chinese : english;
}
