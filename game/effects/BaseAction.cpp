#include "game/effects/BaseAction.h"

#include <cmath>
#include <limits>

int BaseAction::Update(float) { return Finished; }

float ToFloat(double value)
{
    constexpr double kMax = std::numeric_limits<float>::max();
    if (value > kMax)
        return std::numeric_limits<float>::infinity();
    if (value < -kMax)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

int TruncateToInt(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0f)
        return std::numeric_limits<int>::max();
    if (value <= -2147483648.0f)
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}
