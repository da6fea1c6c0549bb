#pragma once
// The framework dialog as the application's dialog registry sees it: an id,
// a modal flag, a result that stays kNoResult until a button sets it, and
// the texts it shows.
#include "framework/widgets/Widget.h"

#include <string>

namespace Kivo {

class Image;

class Dialog : public Widget {
public:
    static constexpr int kNoResult = 0x7fffffff;

    Dialog(Image* componentImage, Image* buttonComponentImage, int id, bool isModal, const std::string& header,
           const std::string& lines, const std::string& footer, int buttonMode);
    ~Dialog() override = default;

    virtual bool IsModal() { return mIsModal; }
    // The height the dialog wants at `width`.
    virtual int GetPreferredHeight(int width);

    Image* mComponentImage;
    Image* mButtonComponentImage;
    int32_t mId;
    int32_t mResult = kNoResult;
    bool mIsModal;
    std::string mDialogHeader;
    std::string mDialogLines;
    std::string mDialogFooter;
    int32_t mButtonMode;
};

} // namespace Kivo
