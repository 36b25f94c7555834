#pragma once

#include <cstdint>
#include <string>
#include <vector>

// System services the program asks of the operating system.

namespace sysinfo {

using LANGID = std::uint16_t;
constexpr LANGID kLangChineseSimplified = 0x0804;
constexpr LANGID kLangEnglishUS = 0x0409;

// The system's language as a Windows language id, read from the locale environment
// (LC_ALL, then LC_CTYPE, then LANG; an empty variable counts as unset). "zh_CN" gives
// 0x0804; an unset, "C" or "POSIX" locale gives 0x0409.
LANGID GetSystemDefaultLangID();

// The language id of one locale name such as "zh_TW.UTF-8" or "de_DE@euro".
LANGID LangIdFromLocale(const std::string& locale);

// Milliseconds of a monotonic clock, wrapping at 2^32; compare by unsigned subtraction.
std::uint32_t GetTickCount();

// The wall-clock time now, in UTC as a name ("20261207T081025.123456Z": it does not move with
// the time zone, though the clock itself may be set back) and as a person reads it in the
// local time zone ("2026-12-07 16:10:25 +0800").
std::string UtcTimeStamp();
std::string LocalTimeText();

// The id of the running process.
long ProcessId();

// The absolute path of the running program, "" when the system does not say.
std::string ExecutablePath();
// The folder holding the running program, as ParentFolder names it; "" when the system does
// not say.
std::string ExecutableFolder();

// Whether a display is there to show windows on: DISPLAY or WAYLAND_DISPLAY is set and not
// empty.
bool HasDisplay();

// The folders of the operating system, which a walk never enters.
const std::vector<std::string>& SystemFolders();

}  // namespace sysinfo
