#pragma once
// The owner of an edit box vets its keys, characters and resulting texts.
#include <string>

namespace Kivo {

class EditListener {
public:
    virtual ~EditListener() = default;
    // Enter was pressed.
    virtual void EditWidgetText(int id, const std::string& text) { (void)id, (void)text; }
    virtual bool AllowKey(int id, int key)
    {
        (void)id, (void)key;
        return true;
    }
    virtual bool AllowChar(int id, char c)
    {
        (void)id, (void)c;
        return true;
    }
    // False restores the text, caret and selection before the change.
    virtual bool AllowText(int id, const std::string& text)
    {
        (void)id, (void)text;
        return true;
    }
};

} // namespace Kivo
