#pragma once

#include "controls/imagefilter.h"

// The filters that change each pixel by itself: grey scale, negative and colour replacement.

// Grey of the weighted channels, 3 red : 6 green : 1 blue; fourth byte 0.
class CGrayFilter : public CImageFilter {
public:
    bool Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output, int outWidth,
               int outHeight) const override;
};

// Each channel inverted; the fourth byte is not written.
class CNegativeFilter : public CImageFilter {
public:
    bool Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output, int outWidth,
               int outHeight) const override;
};

// Pixels of one colour (red, green and blue alike) become another with fourth byte 0; the
// rest are copied whole.
class CReplaceColorFilter : public CImageFilter {
public:
    CReplaceColorFilter(COLORREF from, COLORREF to) : m_crFrom(from), m_crTo(to) {}

    bool Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output, int outWidth,
               int outHeight) const override;

private:
    COLORREF m_crFrom;
    COLORREF m_crTo;
};
