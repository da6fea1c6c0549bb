#include "game/meta/WindowHowToPlay.h"

#include "framework/app/KivoAppBase.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/effects/ActionScript.h"
#include "game/effects/ActionScriptManager.h"
#include "platform/win32/Messages.h"

namespace {

constexpr int kKeyR = 'R';

// By game type - 1: swap, group, chain.
constexpr const char* kTitleIds[3] = {"window_howtoplay_caption_swap_mode", "window_howtoplay_caption_group_mode",
                                      "window_howtoplay_caption_chain_mode"};
constexpr const char* kTextIds[3] = {"window_howtoplay_text_swap_mode", "window_howtoplay_text_group_mode",
                                     "window_howtoplay_text_chain_mode"};

constexpr int kTextX = 80;
constexpr int kTextWidth = 310;
constexpr int kTextSpacing = 20;
constexpr int kTextBandTop = 300;
constexpr int kTextBandHeight = 120;

} // namespace

WindowHowToPlay::WindowHowToPlay()
    : WindowBase(GetImageById("IMAGE_UI_WINDOW"), GetStringById("window_howtoplay_caption"), false, kWindowId)
{
    mClip = false;
    mContentInsets = Kivo::Insets{60, 45, 60, 50};
    auto* close = new WindowButton(0, this);
    close->mLabel = GetStringById("window_howtoplay_button_close");
    close->Move((mWidth - close->mWidth) / 2, 430);
    AddWidget(close);
    TakeScriptCopies();
}

WindowHowToPlay::~WindowHowToPlay()
{
    RemoveAllWidgets(true, false);
    DeleteScripts();
}

void WindowHowToPlay::TakeScriptCopies()
{
    ActionScriptManager* scripts = GetActionScriptManager();
    scripts->GetScriptCopy("demo_gameplaychain", mChainScript);
    scripts->GetScriptCopy("demo_gameplayswap", mSwapScript);
    scripts->GetScriptCopy("demo_gameplaygroup", mGroupScript);
}

void WindowHowToPlay::DeleteScripts()
{
    for (ActionScript** script : {&mChainScript, &mSwapScript, &mGroupScript}) {
        delete *script;
        *script = nullptr;
    }
}

void WindowHowToPlay::ReloadScripts()
{
    ActionScriptManager* scripts = GetActionScriptManager();
    scripts->LoadScript("properties\\tutorial\\demo_gameplaychain.xml", "demo_gameplaychain");
    scripts->LoadScript("properties\\tutorial\\demo_gameplayswap.xml", "demo_gameplayswap");
    scripts->LoadScript("properties\\tutorial\\demo_gameplaygroup.xml", "demo_gameplaygroup");
    DeleteScripts();
    TakeScriptCopies();
}

ActionScript* WindowHowToPlay::CurrentScript()
{
    switch (mGameType) {
    case 1:
        return mSwapScript;
    case 2:
        return mGroupScript;
    case 3:
        return mChainScript;
    default:
        return nullptr;
    }
}

void WindowHowToPlay::UpdateF(float fraction)
{
    WindowBase::UpdateF(fraction);
    if (ActionScript* script = CurrentScript())
        script->Update(fraction);
}

void WindowHowToPlay::ButtonDepress(int id)
{
    WindowBase::ButtonDepress(id);
    if (id == 0)
        mResult = 0;
}

void WindowHowToPlay::KeyDown(int key)
{
    if (!mVisible)
        return;
    WindowBase::KeyDown(key);
    if (key == VK_ESCAPE || key == VK_RETURN)
        mResult = 0;
    else if (key == kKeyR && Kivo::gKivoApp && Kivo::gKivoApp->GetBoolean("cheat_keys", false))
        ReloadScripts();
}

void WindowHowToPlay::Draw(Kivo::Graphics* g)
{
    DrawShade(g);
    WindowBase::Draw(g);
    if (mGameType < 1 || mGameType > 3)
        return;
    const int mode = mGameType - 1;
    Kivo::Font* gold = GetFontById("FONT_GOLD");
    if (!mTextsFetched) {
        mTextsFetched = true;
        Kivo::Graphics measure;
        measure.SetFont(gold);
        for (int i = 0; i < 3; ++i) {
            mTitles[i] = GetStringById(kTitleIds[i]);
            mTexts[i] = GetStringById(kTextIds[i]);
            mTextHeights[i] = measure.GetWordWrappedHeight(kTextWidth, mTexts[i], kTextSpacing);
        }
    }
    g->PushState();
    if (ActionScript* script = CurrentScript())
        script->DrawAt(g, mWidth / 2 + 10 - script->mWidth / 2, 220 - script->mHeight / 2, 1.0f);
    g->SetColorRGBA(255, 255, 255, 255);
    g->SetFont(GetFontById("FONT_CAPTION"));
    g->DrawString(mTitles[mode], mWidth / 2 - 5 - g->StringWidth(mTitles[mode]) / 2, kTextBandTop);
    g->SetFont(gold);
    const int top = kTextBandTop + (kTextBandHeight - mTextHeights[mode]) / 2;
    g->WriteWordWrapped(Kivo::Rect(kTextX, top, kTextWidth, kTextBandHeight), mTexts[mode], kTextSpacing, 0);
    g->PopState();
}
