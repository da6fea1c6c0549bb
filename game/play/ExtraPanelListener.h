#pragma once
// Told by the extra panel when its offer has been won.

class ExtraPanelListener {
public:
    virtual ~ExtraPanelListener() = default;
    // kind: the bonus kind the offer promised.
    virtual void ExtraBonusWon(int kind) = 0;
};
