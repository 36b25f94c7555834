#pragma once

#include <cstddef>

#include "platform/wintypes.h"

// Movable memory blocks, the form in which a data object hands its content (a dropped-file
// list) to whoever asks. Blocks come from the C library, so a block allocated in one module is
// freed in another, as the receiver of a medium does.

struct HGLOBAL__;
using HGLOBAL = HGLOBAL__*;

inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// A block of `size` bytes, zero-filled; null when memory runs out.
HGLOBAL GlobalAlloc(UINT flags, std::size_t size);
// The block's bytes; null for a null or foreign handle. The bytes never move.
void* GlobalLock(HGLOBAL memory);
BOOL GlobalUnlock(HGLOBAL memory);
std::size_t GlobalSize(HGLOBAL memory);
// Frees the block; returns null on success and the handle when it is not a block.
HGLOBAL GlobalFree(HGLOBAL memory);
