#pragma once

namespace Kivo {

class SliderListener {
public:
    virtual ~SliderListener() = default;
    // The value, from 0 to 1.
    virtual void SliderVal(int id, double value) = 0;
};

} // namespace Kivo
