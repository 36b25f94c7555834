#pragma once

#include <cstdint>
#include <vector>

#include "platform/wintypes.h"

// Bitmaps as handles, for the images a menu item shows beside its text. A bitmap made in one
// module can be read in another: the handle points to plain pixels.

struct HBITMAP__;
using HBITMAP = HBITMAP__*;

// A bitmap of `width` x `height` pixels, rows from the top, each pixel 0x00RRGGBB; null when
// the sizes are not positive or do not match the pixels.
HBITMAP CreateBitmapFromPixels(int width, int height, const std::vector<std::uint32_t>& pixels);

// Deletes the bitmap; FALSE for a handle that is not one.
BOOL DeleteObject(HBITMAP bitmap);

struct BitmapPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, rows from the top
};

// The bitmap's pixels; false for a handle that is not a bitmap.
bool GetBitmapPixels(HBITMAP bitmap, BitmapPixels& result);
