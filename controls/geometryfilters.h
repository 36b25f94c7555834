#pragma once

#include "controls/imagefilter.h"

// The filters that move pixels: rotation, shear, scaling and mirroring. Rotation and shear
// take their pixels with the smooth sample when asked to; enlarging always does.

// Turns the picture by whole degrees, clockwise as it appears on the screen, about its
// centre; the output is the bounding box of the turned picture, its uncovered corners
// left in the background.
class CRotateFilter : public CImageFilter {
public:
    CRotateFilter(int degrees, bool smooth);

    PictureSize GetOutputSize(int width, int height) const override;
    bool Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output, int outWidth,
               int outHeight) const override;

private:
    double m_dAngle;  // radians, from a whole number of degrees in 0...359
};

// Shears the picture: rows slide by up to abs(dx) pixels, columns by up to abs(dy); the output
// grows by as much.
class CSkewFilter : public CImageFilter {
public:
    CSkewFilter(int dx, int dy, bool smooth);

    PictureSize GetOutputSize(int width, int height) const override;
    bool Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output, int outWidth,
               int outHeight) const override;

private:
    int m_nDx;
    int m_nDy;
};

// Scales the picture by a factor: enlarging samples smoothly, reducing averages blocks of
// pixels. A factor of 0 or less cannot be applied.
class CScaleFilter : public CImageFilter {
public:
    explicit CScaleFilter(double factor) : m_dFactor(factor) {}

    PictureSize GetOutputSize(int width, int height) const override;
    bool Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output, int outWidth,
               int outHeight) const override;

private:
    void Enlarge(const Pixel* input, int inWidth, int inHeight, Pixel* output, int outWidth,
                 int outHeight) const;
    void Reduce(const Pixel* input, int inWidth, int inHeight, Pixel* output, int outWidth,
                int outHeight) const;

    double m_dFactor;
};

// Mirrors the picture left-right, top-bottom, or both; whole pixels move.
class CFlipFilter : public CImageFilter {
public:
    CFlipFilter(bool horizontal, bool vertical)
        : m_bHorizontal(horizontal), m_bVertical(vertical) {}

    bool Apply(const Pixel* input, int inWidth, int inHeight, Pixel* output, int outWidth,
               int outHeight) const override;

private:
    bool m_bHorizontal;
    bool m_bVertical;
};
