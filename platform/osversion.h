#pragma once

#include "platform/wintypes.h"

// The system's version as Windows reports it to a program that asks which platform it runs on.
// Linux stands for the Windows NT platform: a modern system with per-user and machine-wide
// settings and a list of approved shell extensions.

inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
};

// Fills `info` (its size set by the caller); FALSE when the size is not that of the structure.
BOOL GetVersionExA(OSVERSIONINFOA* info);
