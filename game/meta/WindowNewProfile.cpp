#include "game/meta/WindowNewProfile.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/widgets/WidgetManager.h"
#include "game/ui/CheckboxCustom.h"
#include "game/ui/EditCustom.h"

namespace {

constexpr int kButtonOk = 0;
constexpr int kButtonCancel = 1;
constexpr int kNameBox = 2;
constexpr int kTimedBox = 3;
constexpr int kRelaxedBox = 4;
constexpr int kNameMargin = 30;

} // namespace

WindowNewProfile::WindowNewProfile()
    : WindowBase(GetImageById("IMAGE_UI_WINDOW"), GetStringById("window_newprofile_caption"), false,
                 WINDOW_ID_NEW_PROFILE)
{
    mClip = false;
    mContentInsets = {60, 45, 60, 50};
    mTimedIcon = GetImageById("IMAGE_UI_ICON_TIMED");
    mRelaxedIcon = GetImageById("IMAGE_UI_ICON_RELAXED");

    mNameBox = new EditCustom(kNameBox, this);
    // The preselected name is read on the box's light selection: dark letters.
    mNameBox->SetColor(Kivo::EDIT_COLOR_HILITE_TEXT, Kivo::Color(40, 25, 10));
    mNameBox->Move((mWidth - mNameBox->mWidth) / 2 + 10, 130);

    mRelaxedBox = new CheckboxCustom(kRelaxedBox, this);
    mRelaxedBox->Move(55, 140 + mNameBox->mHeight);
    mRelaxedBox->SetChecked(true, false);
    mTimedBox = new CheckboxCustom(kTimedBox, this);
    mTimedBox->Move(55, 140 + mNameBox->mHeight + mRelaxedBox->mHeight + 40);

    mOkButton = new WindowButton(kButtonOk, this);
    mOkButton->mLabel = GetStringById("window_newprofile_button_ok");
    mOkButton->Move((mWidth - mOkButton->mWidth) / 2 + 10, 380);
    mCancelButton = new WindowButton(kButtonCancel, this);
    mCancelButton->mLabel = GetStringById("window_newprofile_button_cancel");
    mCancelButton->Move(mOkButton->mX, 380 + mOkButton->mHeight);

    AddWidget(mNameBox);
    AddWidget(mRelaxedBox);
    AddWidget(mTimedBox);
    AddWidget(mOkButton);
    AddWidget(mCancelButton);
}

WindowNewProfile::~WindowNewProfile() { RemoveAllWidgets(true, false); }

bool WindowNewProfile::IsValidName(const std::string& name)
{
    return name.find_first_not_of(' ') != std::string::npos;
}

void WindowNewProfile::SetUserName(const std::string& name) { mNameBox->SetText(name); }

std::string WindowNewProfile::GetUserName() { return mNameBox->mString; }

void WindowNewProfile::SetProgressType(int type)
{
    mTimedBox->SetChecked(type == 1, false);
    mRelaxedBox->SetChecked(type != 1, false);
}

int WindowNewProfile::GetProgressType() { return mRelaxedBox->mChecked ? 2 : 1; }

void WindowNewProfile::SetCancelVisible(bool visible)
{
    if (mCancelButton->mVisible == visible)
        return;
    mCancelButton->SetVisible(visible);
    const int okY = mOkButton->mY;
    mOkButton->Move(mOkButton->mX, mCancelButton->mY);
    mCancelButton->Move(mCancelButton->mX, okY);
}

void WindowNewProfile::GotFocus()
{
    WindowBase::GotFocus();
    if (mManager)
        mManager->SetFocus(mNameBox);
}

void WindowNewProfile::KeyDown(int key)
{
    if (!mVisible)
        return;
    Kivo::Widget::KeyDown(key);
    if (key == WINDOW_KEY_ESCAPE) {
        if (mCancelButton->mVisible)
            mResult = 0;
    } else if (key == WINDOW_KEY_ENTER) {
        mResult = 0;
    }
}

void WindowNewProfile::ButtonDepress(int id)
{
    WindowBase::ButtonDepress(id);
    if (id == kButtonOk) {
        if (IsValidName(GetUserName()))
            mResult = 1;
    } else if (id == kButtonCancel) {
        mResult = 0;
    }
}

void WindowNewProfile::EditWidgetText(int, const std::string& text)
{
    if (IsValidName(text) && IsValidName(GetUserName()))
        mResult = 1;
}

bool WindowNewProfile::AllowChar(int, char c)
{
    // Any character the box's font draws (Windows-1252 letters included);
    // the box types capitals: measure the one that will be inserted.
    const unsigned char code = static_cast<unsigned char>(c);
    if (code < 32 || code == 127)
        return false;
    Kivo::Font* font = mNameBox->mFont;
    if (!font)
        return true;
    const std::string text = mNameBox->mString + mNameBox->TypedChar(c);
    return font->StringWidth(text) <= mNameBox->mWidth - kNameMargin;
}

void WindowNewProfile::CheckboxChecked(int id, bool checked)
{
    PlaySoundById("SOUND_BUTTON_CHECKBOX");
    CheckboxCustom* box = id == kTimedBox ? mTimedBox : id == kRelaxedBox ? mRelaxedBox : nullptr;
    CheckboxCustom* other = box == mTimedBox ? mRelaxedBox : mTimedBox;
    if (!box)
        return;
    if (checked)
        other->SetChecked(false, false);
    else if (!other->mChecked)
        box->SetChecked(true, false);
}

void WindowNewProfile::Draw(Kivo::Graphics* g)
{
    DrawShade(g);
    WindowBase::Draw(g);
    const auto iconY = [](Kivo::Image* icon, CheckboxCustom* box) {
        return box->mY - (icon->GetHeight() - box->mHeight) / 2;
    };
    if (mRelaxedIcon)
        g->DrawImage(mRelaxedIcon, mRelaxedBox->mX + mRelaxedBox->mWidth + 2, iconY(mRelaxedIcon, mRelaxedBox) - 10);
    if (mTimedIcon)
        g->DrawImage(mTimedIcon, mTimedBox->mX + mTimedBox->mWidth + 2, iconY(mTimedIcon, mTimedBox));

    g->PushState();
    g->SetFont(GetFontById("FONT_GOLD"));
    g->SetColor(Kivo::Color(255, 255, 255));
    const int d = mTimedBox->mWidth + 45;
    const auto label = [&](CheckboxCustom* box, const char* text, const char* comment) {
        g->DrawString(GetStringById(text), box->mX + d, box->mY + 20);
        g->PushState();
        g->SetScale(0.8f, 0.8f, static_cast<float>(box->mX + d), static_cast<float>(box->mY + 25));
        g->WriteWordWrapped(Kivo::Rect(box->mX + d, box->mY + 25, 299, 45), GetStringById(comment), 20, -1);
        g->PopState();
    };
    label(mRelaxedBox, "window_newprofile_label_relaxed", "window_newprofile_label_relaxed_comment");
    label(mTimedBox, "window_newprofile_label_timed", "window_newprofile_label_timed_comment");
    g->PopState();
}

int NewProfileWindowPrompt::ShowAnimated()
{
    WindowNewProfile* window = WindowNewProfile::Instance();
    window->SetUserName(mName);
    window->SetProgressType(mType);
    window->SetCancelVisible(false);
    const int result = ShowWindowAnimated(window, true);
    // The window is queued for deletion, not deleted: read it now.
    mName = window->GetUserName();
    mType = window->GetProgressType();
    return result;
}

NewProfilePrompt* GetNewProfileWindowPrompt()
{
    static NewProfileWindowPrompt prompt;
    return &prompt;
}
