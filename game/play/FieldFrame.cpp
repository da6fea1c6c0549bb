#include "game/play/FieldFrame.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/match/Grid.h"
#include "game/profiles/ProfileManager.h"

#include <string>

namespace {
constexpr uint32_t kSelectSteps = 50;

void SetUpButton(ButtonBase* button, const char* image, const char* downImage, float pressSpeed)
{
    button->mButtonImage = GetImageById(image);
    button->mDownImage = GetImageById(downImage);
    button->mGlowImage = button->mButtonImage;
    button->mGlowMode = GLOW_ADDITIVE_OVER;
    button->mGlowColor = Kivo::Color(255, 255, 255);
    button->mPressFadeEnabled = true;
    button->mPressFade.mSpeed = pressSpeed;
    button->ResizeToImage();
    button->SetHitMask(button->mButtonImage);
}

const char* HighlightImageId(int id)
{
    switch (id) {
    case 4: return "IMAGE_FIELD_BUTTON_SWAP_B";
    case 5: return "IMAGE_FIELD_BUTTON_GROUP_B";
    case 6: return "IMAGE_FIELD_BUTTON_CHAIN_B";
    default: return nullptr;
    }
}
} // namespace

ButtonRotate::ButtonRotate(int id, Kivo::ButtonListener* listener, bool left, const char* image,
                           const char* downImage)
    : ButtonBase(id, listener), mLeft(left)
{
    SetUpButton(this, image, downImage, 0.1f);
}

void ButtonRotate::PlayEnterSound()
{
    if (mVisible)
        PlaySoundById("SOUND_BUTTON_ROTATE_ENTER");
}

void ButtonRotate::PlayDownSound() { PlaySoundById("SOUND_BUTTON_ROTATE_DOWN"); }

ButtonGameMode::ButtonGameMode(int id, Kivo::ButtonListener* listener, const char* image, const char* downImage)
    : ButtonBase(id, listener)
{
    SetUpButton(this, image, downImage, 0.2f);
    if (const char* highlight = HighlightImageId(id))
        mHighlightImage = GetImageById(highlight);
}

void ButtonGameMode::PlayEnterSound()
{
    if (mVisible)
        PlaySoundById("SOUND_BUTTON_GAMEMODE_ENTER");
}

void ButtonGameMode::PlayDownSound() { PlaySoundById("SOUND_BUTTON_GAMEMODE_DOWN"); }

void ButtonGameMode::SetSelected(bool selected, bool animate)
{
    mSelected = selected;
    if (!animate)
        mHighlight.mCurrent = mHighlight.mPrevious = selected ? 1.0f : 0.0f;
}

void ButtonGameMode::Update()
{
    ButtonBase::Update();
    mHighlight.SetTarget(mSelected ? 1.0f : 0.0f);
}

void ButtonGameMode::UpdateF(float dt)
{
    ButtonBase::UpdateF(dt);
    if (mVisible)
        mHighlight.Update(dt);
}

void ButtonGameMode::Draw(Kivo::Graphics* g)
{
    g->PushState();
    ButtonBase::Draw(g);
    if (mAlpha != 1.0f) {
        g->SetColor(Kivo::Color(255, 255, 255));
        g->SetColorizeImages(true);
        g->SetAlphaScale(mAlpha);
    }
    if (mHighlightImage && (mSelected || mHighlight.IsMoving())) {
        g->PushState();
        if (mHighlight.IsMoving()) {
            g->SetColor(Kivo::Color(255, 255, 255));
            g->SetColorizeImages(true);
            g->SetAlphaScale(mHighlight.mCurrent * mAlpha);
        }
        g->DrawImage(mHighlightImage, 0, 0);
        g->PopState();
    }
    g->PopState();
}

FieldFrame::FieldFrame(Kivo::ButtonListener* listener)
{
    Resize(0, 0, 800, 600);
    mClip = false;
    mMouseVisible = false;
    mWidgetFlagsMod.mAddFlags |= Kivo::WIDGETFLAGS_MARK_DIRTY;
    mRightLarge = new ButtonRotate(2, listener, false, "IMAGE_FIELD_ARROW_RIGHT", "IMAGE_FIELD_ARROW_RIGHT_DOWN");
    mRightLarge->Move(547, 1);
    mLeftLarge = new ButtonRotate(3, listener, true, "IMAGE_FIELD_ARROW_LEFT", "IMAGE_FIELD_ARROW_LEFT_DOWN");
    mLeftLarge->Move(142, 1);
    mRightSmall = new ButtonRotate(2, listener, false, "IMAGE_FIELD_ARROW2_RIGHT", "IMAGE_FIELD_ARROW2_RIGHT_DOWN");
    mRightSmall->Move(621, 475);
    mLeftSmall = new ButtonRotate(3, listener, true, "IMAGE_FIELD_ARROW2_LEFT", "IMAGE_FIELD_ARROW2_LEFT_DOWN");
    mLeftSmall->Move(138, 475);
    mGroup = new ButtonGameMode(5, listener, "IMAGE_FIELD_BUTTON_GROUP", "IMAGE_FIELD_BUTTON_GROUP_DOWN");
    mGroup->Move(292, 502);
    mChain = new ButtonGameMode(6, listener, "IMAGE_FIELD_BUTTON_CHAIN", "IMAGE_FIELD_BUTTON_CHAIN_DOWN");
    mChain->Move(359, 504);
    mSwap = new ButtonGameMode(4, listener, "IMAGE_FIELD_BUTTON_SWAP", "IMAGE_FIELD_BUTTON_SWAP_DOWN");
    mSwap->Move(457, 501);
    for (int i = 0; i < 7; ++i)
        AddWidget(Buttons(i));
    mTimed = true;
    Reset();
}

FieldFrame::~FieldFrame()
{
    RemoveAllWidgets(false, false);
    for (int i = 0; i < 7; ++i)
        delete Buttons(i);
}

ButtonBase* FieldFrame::Buttons(int i) const
{
    ButtonBase* const all[7] = {mRightLarge, mLeftLarge, mRightSmall, mLeftSmall, mGroup, mChain, mSwap};
    return all[i];
}

ButtonGameMode* FieldFrame::ModeButton(int gameType) const
{
    switch (gameType) {
    case 1: return mSwap;
    case 2: return mGroup;
    case 3: return mChain;
    default: return nullptr;
    }
}

void FieldFrame::SetButtonsAlpha(float alpha)
{
    for (int i = 0; i < 7; ++i)
        Buttons(i)->mAlpha = alpha;
}

void FieldFrame::Reset()
{
    mAlpha.mCurrent = mAlpha.mPrevious = 1.0f;
    mAlpha.SetTarget(1.0f);
    SetButtonsAlpha(1.0f);
    for (int type = 1; type <= 3; ++type) {
        ModeButton(type)->SetSelected(false, false);
        ModeButton(type)->SetVisible(true);
    }
    mTimed = GetProfileInt("progress_type") != 2;
}

void FieldFrame::Show(bool show, bool animate)
{
    mAlpha.SetTarget(show ? 1.0f : 0.0f);
    if (animate)
        return;
    SetVisible(show);
    mAlpha.mCurrent = mAlpha.mTarget;
    for (int type = 1; type <= 3; ++type)
        ModeButton(type)->SetVisible(show);
}

void FieldFrame::Update()
{
    Kivo::Widget::Update();
    if (mUpdateCount % kSelectSteps != 0)
        return;
    for (int type = 1; type <= 3; ++type)
        ModeButton(type)->SetSelected(false, true);
    if (ButtonGameMode* current = ModeButton(GetProfileInt("game_type")))
        current->SetSelected(true, true);
}

void FieldFrame::UpdateF(float dt)
{
    mAlpha.Update(dt);
    if (!mAlpha.IsMoving() && !mAlpha.JustStopped())
        return;
    SetButtonsAlpha(mAlpha.mCurrent);
    for (int type = 1; type <= 3; ++type)
        ModeButton(type)->SetVisible(mAlpha.mCurrent > 0);
}

void FieldFrame::DrawFrame(Kivo::Graphics* g)
{
    if (!mImagesRead) {
        mFrameImage = GetImageById("IMAGE_FIELD_FRAME");
        mNoTimeImage = GetImageById("IMAGE_FIELD_NO_TIME_PANEL");
        const Grid* grid = Grid::Instance();
        mFrameX = grid->GetOriginX() - 117;
        mFrameY = grid->GetOriginY() - 40;
        mNoTimeX = grid->GetOriginX() + 85;
        mNoTimeY = grid->GetOriginY() - 36;
        mImagesRead = true;
    }
    if (mAlpha.mCurrent == 0)
        return;
    g->PushState();
    if (mAlpha.IsMoving()) {
        g->SetColorizeImages(true);
        g->SetColorRGBA(255, 255, 255, static_cast<int>(mAlpha.mCurrent * 255));
    }
    if (mFrameImage)
        g->DrawImage(mFrameImage, mFrameX, mFrameY);
    if (!mTimed && mNoTimeImage)
        g->DrawImage(mNoTimeImage, mNoTimeX, mNoTimeY);
    g->PopState();
}
