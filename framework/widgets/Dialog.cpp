#include "framework/widgets/Dialog.h"

namespace Kivo {

Dialog::Dialog(Image* componentImage, Image* buttonComponentImage, int id, bool isModal, const std::string& header,
               const std::string& lines, const std::string& footer, int buttonMode)
    : mComponentImage(componentImage), mButtonComponentImage(buttonComponentImage), mId(id), mIsModal(isModal),
      mDialogHeader(header), mDialogLines(lines), mDialogFooter(footer), mButtonMode(buttonMode)
{
}

int Dialog::GetPreferredHeight(int)
{
    return mHeight;
}

} // namespace Kivo
