#include "framework/graphics/Ratio.h"

#include <cstdint>

namespace Kivo {

void Ratio::Set(int numerator, int denominator)
{
    int a = numerator;
    int b = denominator;
    while (b != 0) {
        int r = b == -1 ? 0 : a % b; // INT_MIN % -1 traps
        a = b;
        b = r;
    }
    if (a == 0) // 0:0 has no divisor; dividing by it would crash
        return;
    mNumerator = numerator / a;
    mDenominator = denominator / a;
}

bool Ratio::IsNarrowerThan(const Ratio& other) const
{
    const int64_t a = mNumerator, b = mDenominator, c = other.mNumerator, d = other.mDenominator;
    return a * d / b < c || a < c * b / d;
}

} // namespace Kivo
