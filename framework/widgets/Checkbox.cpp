#include "framework/widgets/Checkbox.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/CheckboxListener.h"

namespace Kivo {

Checkbox::Checkbox(Image* uncheckedImage, Image* checkedImage, int id, CheckboxListener* listener)
    : mListener(listener), mId(id), mUncheckedImage(uncheckedImage), mCheckedImage(checkedImage)
{
    mDoFinger = true;
}

void Checkbox::SetChecked(bool checked, bool tellListener)
{
    mChecked = checked;
    if (tellListener && mListener)
        mListener->CheckboxChecked(mId, mChecked);
    MarkDirty();
}

void Checkbox::MouseDownButton(int, int, int, int) { SetChecked(!mChecked, true); }

void Checkbox::Draw(Graphics* g)
{
    if (mCheckedRect.mWidth == 0) {
        if (mUncheckedImage && mCheckedImage) {
            g->DrawImage(mChecked ? mCheckedImage : mUncheckedImage, 0, 0);
            return;
        }
    } else if (mUncheckedImage) {
        g->DrawImageSrc(mUncheckedImage, 0, 0, mChecked ? mCheckedRect : mUncheckedRect);
        return;
    }
    if (mUncheckedImage || mCheckedImage)
        return;
    g->SetColor(mOutlineColor);
    g->FillRect(0, 0, mWidth, mHeight);
    g->SetColor(mInnerColor);
    g->FillRect(1, 1, mWidth - 2, mHeight - 2);
    if (mChecked) {
        g->SetColor(mCheckColor);
        g->DrawLine(1, 1, mWidth - 2, mHeight - 2);
        g->DrawLine(mWidth - 1, 1, 1, mHeight - 2);
    }
}

} // namespace Kivo
