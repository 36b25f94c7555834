#pragma once

#include "platform/bitmap.h"
#include "platform/wintypes.h"

// The extension's resources: its string table (code page 936 text) and its three menu
// bitmaps, which live from the module's load to its unload.

namespace menuext {

// Resource ids.
inline constexpr UINT IDS_ORGANIZE_HELP = 40001;
inline constexpr UINT IDS_CUSTOM_HELP = 40002;
inline constexpr UINT IDS_ABOUT_TEXT = 40007;
inline constexpr UINT IDS_ABOUT_HELP = 40008;
inline constexpr UINT IDS_POPUP = 40100;
inline constexpr UINT IDS_ORGANIZE = 40101;
inline constexpr UINT IDS_CUSTOM = 40102;
inline constexpr UINT IDS_ABOUT = 40103;

inline constexpr UINT IDB_PAGE = 106;
inline constexpr UINT IDB_WINDOW = 107;
inline constexpr UINT IDB_QUESTION = 123;

// Copies string `id` into `buffer`: at most `size` - 1 bytes and a NUL. Returns the bytes
// copied, 0 for an unknown id (the buffer then holds "").
int LoadStringA(UINT id, char* buffer, int size);

// The module's bitmap `id`, null for an unknown id. Owned by the module.
HBITMAP ModuleBitmap(UINT id);

}  // namespace menuext
