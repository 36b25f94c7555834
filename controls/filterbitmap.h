#pragma once

#include <span>
#include <vector>

#include <QImage>

#include "controls/gdi.h"
#include "controls/imagefilter.h"
#include "controls/pixel.h"

// A picture that runs chains of pixel filters over itself. It reads its pixels out, lets each
// filter of the chain make a new picture from the one before (sizes may change), and takes
// the last one as its new bitmap. Output pixels that no filter writes show the background
// colour given at construction (the corners a rotation leaves uncovered).
//
// Every operation that makes a new bitmap replaces the old one only once the new one is
// complete: on any failure the object keeps the bitmap it had.
class CFilterBitmap {
public:
    explicit CFilterBitmap(COLORREF background) : m_crBackground(background) {}

    bool IsEmpty() const { return m_bitmap.isNull(); }
    // The bitmap; a null image when there is none.
    const QImage& GetBitmap() const { return m_bitmap; }
    // Takes a bitmap (held as 32-bit pixels); false, keeping the old one, for a null image.
    bool Attach(const QImage& bitmap);
    // Gives the bitmap away and is empty afterwards.
    QImage Detach();

    // The bitmap's pixels, fourth bytes 0; empty when there is no bitmap.
    std::vector<Pixel> GetPixels() const;

    // Becomes a copy of the bitmap; false for a null one.
    bool CopyFrom(const QImage& bitmap);
    // The same with another object's bitmap; nothing for a null pointer.
    void CopyFrom(const CFilterBitmap* other);
    // Becomes a 32 x 32 picture of the icon over `background`; with 0xFFFFFFFF nothing is
    // painted under the icon, so what it leaves transparent stays black.
    bool FromIcon(const QImage& icon, COLORREF background);

    // Runs the filters in order; an empty chain changes nothing. False when there is no
    // bitmap, a picture cannot be held, a filter fails or the result has no pixels.
    bool ApplyFilters(std::span<const CImageFilter* const> filters);

    // Runs the one filter that mirrors the picture.
    bool Flip(bool horizontal, bool vertical);

private:
    QImage m_bitmap;
    COLORREF m_crBackground;
};

// Fills width x height pixels with a colour: white and 0xFFFFFFFF set every byte to 255, black
// every byte to 0; any other colour is blue, green, red and 0, filled by doubling what is
// already filled. False for a null buffer.
bool FillPixels(Pixel* pixels, int width, int height, COLORREF color);
