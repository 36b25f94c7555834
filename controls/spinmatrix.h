#pragma once

#include <QPoint>

#include "platform/muldiv.h"

// The fixed-point arithmetic of the closing effect: 16.16 values (65536 is 1.0) multiplied
// with rounding, and 3 x 3 affine transforms in 16.16 used with row vectors. Only the
// rotations use floating point, once for their cosine and sine.

// a x b in 16.16.
inline int FixedMul(int a, int b) {
    return MulDiv(a, b, 65536);
}
// a / b in 16.16; 0 when a or b is 0.
int FixedRatio(int a, int b);

// A point (x, y) becomes (x m00 + y m10 + m20, x m01 + y m11 + m21); the last column is
// (0, 0, 1). The translation m20, m21 is in plain units.
struct SpinMatrix {
    int m00 = 65536;
    int m01 = 0;
    int m10 = 0;
    int m11 = 65536;
    int m20 = 0;
    int m21 = 0;

    friend bool operator==(const SpinMatrix&, const SpinMatrix&) = default;
};

// First a, then b.
SpinMatrix operator*(const SpinMatrix& a, const SpinMatrix& b);
QPoint Transform(QPoint point, const SpinMatrix& m);

SpinMatrix Translate(int x, int y);
// A turn by `angle` degrees in 16.16 about (px, py).
SpinMatrix Rotate(int angle, int px, int py);
// A scaling by `factor` in 16.16 about (px, py).
SpinMatrix Scale(int factor, int px, int py);
// Each entry t of the way from b to a: a x t + b x (1 - t).
SpinMatrix Blend(const SpinMatrix& a, const SpinMatrix& b, int t);
QPoint Blend(QPoint p, QPoint q, int t);
