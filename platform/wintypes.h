#pragma once

#include <cstdint>

// The integer types of the Windows interfaces that the platform stands in for (registry, COM,
// menus), with their Windows sizes, so that tables and calls written against them keep their
// meaning on Linux.

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using UINT = std::uint32_t;
using INT = std::int32_t;
using BOOL = std::int32_t;
using WCHAR = char16_t;
using UINT_PTR = std::uintptr_t;
using LPARAM = std::intptr_t;

struct HWND__;
using HWND = HWND__*;

// Macros, as in the Windows headers (and GLib's, which agree).
#ifndef FALSE
#define FALSE 0
#endif
#ifndef TRUE
#define TRUE 1
#endif
