#include "platform/osversion.h"

#include <sys/utsname.h>

#include <cstdio>

BOOL GetVersionExA(OSVERSIONINFOA* info) {
    if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        return FALSE;
    }
    *info = OSVERSIONINFOA{sizeof(OSVERSIONINFOA), 0, 0, 0, VER_PLATFORM_WIN32_NT, {}};
    utsname system{};
    if (uname(&system) == 0) {
        unsigned major = 0;
        unsigned minor = 0;
        std::sscanf(system.release, "%u.%u", &major, &minor);
        info->dwMajorVersion = major;
        info->dwMinorVersion = minor;
    }
    return TRUE;
}
