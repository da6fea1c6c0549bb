#pragma once
// What a dialog tells its listener of its buttons: 1000 yes / OK (or the
// single button), 1001 no / cancel.
namespace Kivo {

class DialogListener {
public:
    virtual ~DialogListener() = default;
    virtual void DialogButtonPress(int dialogId, int buttonId) { (void)dialogId, (void)buttonId; }
    virtual void DialogButtonDepress(int dialogId, int buttonId) { (void)dialogId, (void)buttonId; }
};

} // namespace Kivo
