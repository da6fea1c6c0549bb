#pragma once

namespace Kivo {

// A reduced integer ratio (display aspect ratios).
class Ratio {
public:
    Ratio() = default;
    Ratio(int numerator, int denominator) { Set(numerator, denominator); }

    // Stores n:d divided by their greatest common divisor. 0:0 has none and
    // leaves the ratio as it was.
    void Set(int numerator, int denominator);

    bool operator==(const Ratio&) const = default;
    // a:b against c:d: true when a*d/b < c or a < c*b/d (integer divisions),
    // so equal and wider ratios give false.
    bool IsNarrowerThan(const Ratio& other) const;

    int mNumerator = 1;
    int mDenominator = 1;
};

} // namespace Kivo
