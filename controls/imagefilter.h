#pragma once

#include "controls/pixel.h"

// A pixel filter turns one picture into another. It states the size it makes of a given
// input size; the caller then hands it an output buffer of that size, already filled with a
// background colour, and the filter writes the pixels it produces. Pixels a filter skips keep
// the background. Filters are small objects run singly or in chains (CFilterBitmap); the
// caller owns them.
//
// The base class is the identity: same size, pixels copied.
class CImageFilter {
public:
    explicit CImageFilter(bool smooth = false) : m_bSmooth(smooth) {}
    virtual ~CImageFilter() = default;

    virtual PictureSize GetOutputSize(int width, int height) const;

    // Writes the output picture; false when the filter cannot work. `output` holds
    // outWidth x outHeight pixels, as GetOutputSize gave for the input size.
    virtual bool Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output, int outWidth,
                       int outHeight) const;

protected:
    bool m_bSmooth;
};

// The smooth sample at the source position (u, v): per channel the mean of a horizontal and a
// vertical linear interpolation between the pixel at (trunc u, trunc v) and its right and
// lower neighbours (the last column and row stand in for neighbours past the edge); fourth
// byte 0. A negative coordinate gives the nearest pixel unchanged.
Pixel SmoothSample(const Pixel* input, int width, int height, double u, double v);

// Half of a size, rounded up.
constexpr int Half(int size) {
    return (size + 1) / 2;
}

// A double truncated towards zero and held within int.
int TruncToInt(double value);
