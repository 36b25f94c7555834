#pragma once

#include <cstdint>
#include <optional>

// The drawing vocabulary the controls were designed in: 0x00BBGGRR colours and rectangles
// whose right and bottom edges lie just outside them, as the drawings of the controls give
// their coordinates.

using COLORREF = std::uint32_t;

constexpr COLORREF RGB(int red, int green, int blue) {
    return static_cast<COLORREF>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF color) {
    return static_cast<int>(color & 0xFF);
}
constexpr int GetGValue(COLORREF color) {
    return static_cast<int>((color >> 8) & 0xFF);
}
constexpr int GetBValue(COLORREF color) {
    return static_cast<int>((color >> 16) & 0xFF);
}

// A colour no pixel has: what a pixel read outside a picture gives.
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Left and top inside, right and bottom just outside.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// A solid pen one pixel wide.
struct Pen {
    COLORREF color = 0;
};

// A solid brush, or none (the null brush: shapes are drawn without filling).
using Brush = std::optional<COLORREF>;
constexpr Brush kNullBrush = std::nullopt;

// Mix modes of pen and brush: copy their colour, or invert what lies under them.
enum class Rop2 { CopyPen, Not };
