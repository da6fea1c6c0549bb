#include "game/meta/WindowLevelCompletedBase.h"

#include "framework/resources/ResourceHelpers.h"
#include "framework/sound/VoiceHelper.h"
#include "game/effects/GfxManager.h"
#include "game/ui/LineWithEffects.h"
#include "platform/win32/Messages.h"

namespace {

// The tick sounds while counting: from this update after SetScores on,
// every kTickEvery updates.
constexpr uint32_t kTickAfter = 60;
constexpr uint32_t kTickEvery = 8;

LabelScoreCounter* NewCounter(int id, const char* icon, const char* caption, LabelScoreListener* listener)
{
    return new LabelScoreCounter(id, GetImageById(icon), GetStringById(caption), listener);
}

} // namespace

WindowLevelCompletedBase::WindowLevelCompletedBase(Kivo::Image* background, const std::string& caption,
                                                   int windowId)
    : WindowBase(background, caption, false, windowId)
{
    const int x0 = mWidth / 2 - 150;
    mBricks = NewCounter(0, "IMAGE_UI_ICON_BRICKS", "window_score_bricks", this);
    mBricks->Resize(x0, 170, 300, 50);
    mBonus = NewCounter(1, "IMAGE_UI_ICON_BONUS", "window_score_bonus", this);
    mBonus->Resize(x0, 220, 300, 50);
    mCombo = NewCounter(2, "IMAGE_UI_ICON_COMBO", "window_score_combo", this);
    mCombo->Resize(x0, 270, 300, 50);
    mTotal = NewCounter(3, "IMAGE_UI_ICON_TOTAL", "window_score_total", this);
    mTotal->Resize(x0, 335, 300, 50);
    mLine = new LineWithEffects(GetImageById("IMAGE_GFX_SCORE_LINE"), x0 + 50, 320);
    AddWidget(mBricks);
    AddWidget(mBonus);
    AddWidget(mCombo);
    AddWidget(mLine);
    AddWidget(mTotal);
    mEffects = std::make_unique<GfxManager>();
}

WindowLevelCompletedBase::~WindowLevelCompletedBase()
{
    RemoveAllWidgets(true, false);
    mEffects.reset();
}

void WindowLevelCompletedBase::SetScores(int bricks, int bonus, int combo)
{
    mLine->Show(false, false);
    mBricks->StartCount(bricks, 0.5f);
    mBonus->StartCount(bonus, 1.0f);
    mCombo->StartCount(combo, 1.5f);
    mTotal->StartCount(bricks + bonus + combo, 2.0f);
    mUpdateCount = 0;
    mAllDone = false;
}

bool WindowLevelCompletedBase::IsCounting()
{
    return mTotal->IsCounting();
}

void WindowLevelCompletedBase::SkipCounters()
{
    for (LabelScoreCounter* counter : {mBricks, mBonus, mCombo, mTotal})
        counter->SkipToEnd();
    mLine->Show(true, false);
}

void WindowLevelCompletedBase::Update()
{
    WindowBase::Update();
    mEffects->processEffects();
    const bool counting = IsCounting();
    if (counting && mUpdateCount > kTickAfter && mUpdateCount % kTickEvery == 0)
        PlaySoundById("SOUND_COUNTER_TICK");
    if (!counting && !mAllDone) {
        mAllDone = true;
        mVoiceCountdown = kVoiceDelay;
        PlaySoundById("SOUND_COUNTER_ALL_DONE");
    }
    if (mAllDone && mVoiceCountdown > 0 && --mVoiceCountdown == 0)
        VoiceHelper::Instance()->PlayVoiceByName("VOICE_WELL_DONE");
}

void WindowLevelCompletedBase::UpdateF(float fraction)
{
    WindowBase::UpdateF(fraction);
    mEffects->updateEffects(fraction);
}

void WindowLevelCompletedBase::Draw(Kivo::Graphics* g)
{
    mEffects->drawEffects(g);
}

void WindowLevelCompletedBase::CountStarted(int id)
{
    PlaySoundById("SOUND_COUNTER_APPEAR");
    if (id == mTotal->mId) {
        mLine->Show(true, true);
        PlaySoundById("SOUND_COUNTER_DRAW_LINE");
    }
}

void WindowLevelCompletedBase::CountFinished(int)
{
    PlaySoundById("SOUND_COUNTER_ITEM_DONE");
}

void WindowLevelCompletedBase::CloseOrSkip(int result)
{
    if (IsCounting())
        SkipCounters();
    else
        mResult = result;
}

void WindowLevelCompletedBase::KeyDown(int key)
{
    if (!mVisible)
        return;
    WindowBase::KeyDown(key);
    if (key == VK_RETURN || key == VK_ESCAPE)
        CloseOrSkip(0);
}
