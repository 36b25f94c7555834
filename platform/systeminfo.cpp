#include "platform/systeminfo.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "platform/absolutepath.h"

namespace sysinfo {
namespace {

struct LocaleId {
    std::string_view name;  // "ll" or "ll_CC"
    LANGID id;
};

// Language ids of the locales a user is likely to have; a territory not listed falls back
// to the language's default entry (the one without a territory).
constexpr std::array kLocaleIds{
    LocaleId{"zh_CN", 0x0804}, LocaleId{"zh_TW", 0x0404}, LocaleId{"zh_HK", 0x0C04},
    LocaleId{"zh_SG", 0x1004}, LocaleId{"zh_MO", 0x1404}, LocaleId{"zh", 0x0804},
    LocaleId{"en_US", 0x0409}, LocaleId{"en_GB", 0x0809}, LocaleId{"en_AU", 0x0C09},
    LocaleId{"en_CA", 0x1009}, LocaleId{"en", 0x0409},    LocaleId{"ja", 0x0411},
    LocaleId{"ko", 0x0412},    LocaleId{"de", 0x0407},    LocaleId{"fr", 0x040C},
    LocaleId{"es", 0x0C0A},    LocaleId{"it", 0x0410},    LocaleId{"pt_BR", 0x0416},
    LocaleId{"pt", 0x0816},    LocaleId{"ru", 0x0419},    LocaleId{"nl", 0x0413},
    LocaleId{"sv", 0x041D},    LocaleId{"pl", 0x0415},    LocaleId{"tr", 0x041F},
    LocaleId{"vi", 0x042A},    LocaleId{"th", 0x041E},
};

const char* LocaleFromEnvironment() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return "";
}

}  // namespace

LANGID LangIdFromLocale(const std::string& locale) {
    // "ll_CC.codeset@modifier": only language and territory matter.
    const std::string_view name(locale.data(), locale.find_first_of(".@") == std::string::npos
                                                   ? locale.size()
                                                   : locale.find_first_of(".@"));
    const std::string_view language = name.substr(0, name.find('_'));
    for (const std::string_view key : {name, language}) {
        for (const LocaleId& entry : kLocaleIds) {
            if (entry.name == key) {
                return entry.id;
            }
        }
    }
    return kLangEnglishUS;
}

LANGID GetSystemDefaultLangID() {
    return LangIdFromLocale(LocaleFromEnvironment());
}

std::uint32_t GetTickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000U +
                    static_cast<std::uint64_t>(now.tv_nsec) / 1000000U;
    return static_cast<std::uint32_t>(ms);
}

namespace {

timespec Now() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

std::string FormatTime(const tm& time, const char* format) {
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, format, &time));
}

}  // namespace

std::string UtcTimeStamp() {
    const timespec now = Now();
    tm utc{};
    gmtime_r(&now.tv_sec, &utc);
    char micro[24];
    std::snprintf(micro, sizeof micro, ".%06ldZ", now.tv_nsec / 1000);
    return FormatTime(utc, "%Y%m%dT%H%M%S") + micro;
}

std::string LocalTimeText() {
    const timespec now = Now();
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return FormatTime(local, "%Y-%m-%d %H:%M:%S %z");
}

long ProcessId() {
    return static_cast<long>(getpid());
}

std::string ExecutablePath() {
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) {
        return {};
    }
    path.resize(static_cast<std::size_t>(length));
    return path;
}

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') {
            return true;
        }
    }
    return false;
}

std::string ExecutableFolder() {
    return ParentFolder(ExecutablePath());
}

const std::vector<std::string>& SystemFolders() {
    static const std::vector<std::string> folders{"/proc", "/sys", "/dev", "/run",
                                                  "/boot", "/etc", "/usr"};
    return folders;
}

}  // namespace sysinfo
