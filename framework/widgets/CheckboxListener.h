#pragma once

namespace Kivo {

class CheckboxListener {
public:
    virtual ~CheckboxListener() = default;
    virtual void CheckboxChecked(int id, bool checked) = 0;
};

} // namespace Kivo
