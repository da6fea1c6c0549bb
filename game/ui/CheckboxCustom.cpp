#include "game/ui/CheckboxCustom.h"

#include "framework/graphics/Image.h"
#include "framework/resources/ResourceHelpers.h"

CheckboxCustom::CheckboxCustom(int id, Kivo::CheckboxListener* listener)
    : Kivo::Checkbox(GetImageById("IMAGE_UI_CHECKBOX"), GetImageById("IMAGE_UI_CHECKBOX_CHECKED"), id, listener)
{
    if (mCheckedImage)
        Resize(mX, mY, mCheckedImage->GetCelWidth(), mCheckedImage->GetCelHeight());
}
