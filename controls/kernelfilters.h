#pragma once

#include "controls/imagefilter.h"

// The filters that mix each pixel with its eight neighbours: blur and sharpen, each with a
// level from 0 (the picture unchanged) to 10 (strongest); other levels are held to that range.

// The weighted mean of the 3 x 3 neighbourhood: the centre weighs 55 - 5 x level, each
// neighbour 1; neighbours outside the picture are left out. The fourth byte is not written.
class CBlurFilter : public CImageFilter {
public:
    explicit CBlurFilter(int level);

    bool Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output, int outWidth,
               int outHeight) const override;

private:
    int m_nLevel;
};

// A 3 x 3 kernel whose weights add up to 1: the centre 2, the four edge neighbours -f and the
// four corner neighbours -f / e, with e = 51 - 5 x level and f = 1 / (4 (1 + 1/e)). The
// outermost rows and columns are copied; the fourth byte of the others is not written.
class CSharpenFilter : public CImageFilter {
public:
    explicit CSharpenFilter(int level);

    bool Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output, int outWidth,
               int outHeight) const override;

private:
    int m_nLevel;
};
