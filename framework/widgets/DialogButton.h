#pragma once
// A dialog's button: a nine-part box cut from its component image, the
// whole drawing moved while pressed; the plain button look without one.
#include "framework/widgets/ButtonWidget.h"

namespace Kivo {

class DialogButton : public ButtonWidget {
public:
    DialogButton(Image* componentImage, int id, ButtonListener* listener);

    void Draw(Graphics* g) override;

    Image* mComponentImage;
    int32_t mTranslateWhenDownX = 1;
    int32_t mTranslateWhenDownY = 1;
};

} // namespace Kivo
