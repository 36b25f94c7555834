#include "controls/spinmatrix.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

int FixedRatio(int a, int b) {
    return a == 0 || b == 0 ? 0 : MulDiv(65536, a, b);
}

SpinMatrix operator*(const SpinMatrix& a, const SpinMatrix& b) {
    SpinMatrix m;
    m.m00 = FixedMul(a.m00, b.m00) + FixedMul(a.m01, b.m10);
    m.m01 = FixedMul(a.m00, b.m01) + FixedMul(a.m01, b.m11);
    m.m10 = FixedMul(a.m10, b.m00) + FixedMul(a.m11, b.m10);
    m.m11 = FixedMul(a.m10, b.m01) + FixedMul(a.m11, b.m11);
    m.m20 = FixedMul(a.m20, b.m00) + FixedMul(a.m21, b.m10) + b.m20;
    m.m21 = FixedMul(a.m20, b.m01) + FixedMul(a.m21, b.m11) + b.m21;
    return m;
}

QPoint Transform(QPoint point, const SpinMatrix& m) {
    return {FixedMul(point.x(), m.m00) + FixedMul(point.y(), m.m10) + m.m20,
            FixedMul(point.x(), m.m01) + FixedMul(point.y(), m.m11) + m.m21};
}

SpinMatrix Translate(int x, int y) {
    SpinMatrix m;
    m.m20 = x;
    m.m21 = y;
    return m;
}

SpinMatrix Rotate(int angle, int px, int py) {
    const double radians = angle / 65536.0 * 0.017453292522222223;
    const int c = static_cast<int>(std::cos(radians) * 65536);
    const int s = static_cast<int>(std::sin(radians) * 65536);
    const SpinMatrix turn{c, s, -s, c, 0, 0};
    return Translate(-px, -py) * turn * Translate(px, py);
}

SpinMatrix Scale(int factor, int px, int py) {
    const SpinMatrix scale{factor, 0, 0, factor, 0, 0};
    return Translate(-px, -py) * scale * Translate(px, py);
}

SpinMatrix Blend(const SpinMatrix& a, const SpinMatrix& b, int t) {
    const auto mix = [t](int x, int y) { return FixedMul(x, t) + FixedMul(y, 65536 - t); };
    return {mix(a.m00, b.m00), mix(a.m01, b.m01), mix(a.m10, b.m10),
            mix(a.m11, b.m11), mix(a.m20, b.m20), mix(a.m21, b.m21)};
}

QPoint Blend(QPoint p, QPoint q, int t) {
    return {FixedMul(p.x(), t) + FixedMul(q.x(), 65536 - t),
            FixedMul(p.y(), t) + FixedMul(q.y(), 65536 - t)};
}
