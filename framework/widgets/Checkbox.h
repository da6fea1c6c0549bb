#pragma once
// A two-state box: two images, two parts of one image, or a drawn box with
// a cross. Any mouse button toggles it.
#include "framework/graphics/Color.h"
#include "framework/graphics/Rect.h"
#include "framework/widgets/Widget.h"

namespace Kivo {

class CheckboxListener;
class Image;

class Checkbox : public Widget {
public:
    Checkbox(Image* uncheckedImage, Image* checkedImage, int id, CheckboxListener* listener);

    void Draw(Graphics* g) override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;
    virtual void SetChecked(bool checked, bool tellListener = true);
    virtual bool IsChecked() { return mChecked; }

    CheckboxListener* mListener;
    int32_t mId;
    bool mChecked = false;
    Image* mUncheckedImage;
    Image* mCheckedImage;
    // Parts of mUncheckedImage; used when mCheckedRect has a width.
    Rect mCheckedRect;
    Rect mUncheckedRect;
    Color mOutlineColor{255, 255, 255};
    Color mInnerColor{80, 80, 80};
    Color mCheckColor{255, 255, 0};
};

} // namespace Kivo
