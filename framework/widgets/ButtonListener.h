#pragma once
// What a button tells its owner; the owner tells its buttons apart by id.
namespace Kivo {

class ButtonListener {
public:
    virtual ~ButtonListener() = default;
    // A press with its click count (2 for a double click).
    virtual void ButtonPressCount(int id, int clickCount)
    {
        (void)clickCount;
        ButtonPress(id);
    }
    virtual void ButtonPress(int id) { (void)id; }
    // Released over the button while the application has the focus.
    virtual void ButtonDepress(int id) { (void)id; }
    // Every update while held down with the mouse over it.
    virtual void ButtonDownTick(int id) { (void)id; }
    virtual void ButtonMouseEnter(int id) { (void)id; }
    virtual void ButtonMouseLeave(int id) { (void)id; }
    virtual void ButtonMouseMove(int id, int x, int y) { (void)id, (void)x, (void)y; }
};

} // namespace Kivo
