#include "platform/muldiv.h"

#include <climits>
#include <cstdint>
#include <cstdlib>

int MulDiv(int a, int b, int c) {
    if (c == 0) {
        return -1;
    }
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t divisor = std::llabs(c);
    const std::int64_t magnitude = (std::llabs(product) + divisor / 2) / divisor;
    if (magnitude > INT_MAX) {
        return -1;
    }
    const bool negative = (product < 0) != (c < 0);
    return static_cast<int>(negative ? -magnitude : magnitude);
}
