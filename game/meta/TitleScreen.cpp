#include "game/meta/TitleScreen.h"

#include "framework/app/KivoAppBase.h"
#include "framework/core/FastMath.h"
#include "framework/display/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/Transform.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/sound/MusicManager.h"
#include "framework/widgets/WidgetManager.h"
#include "game/ui/Callback.h"
#include "game/ui/FadingLabel.h"
#include "game/ui/FullscreenFadder.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>

namespace {

constexpr float kPi = 3.1415925f;
constexpr int kSegments = 19;
constexpr float kSegmentSize = 0.05263158f;

// One line of the file without its line end (a '\r' of a Windows line end
// included); false at the end of the file.
bool ReadLine(std::istream& in, std::string& line)
{
    if (!std::getline(in, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

} // namespace

uint32_t ComputeBrandingChecksum(const ImageLib::Image* image)
{
    if (!image || !image->mBits || image->mWidth <= 0 || image->mHeight <= 0)
        return 0;
    const int64_t n = int64_t(image->mWidth) * image->mHeight - 2;
    uint32_t sum = 0;
    for (int64_t i = 0; i < n; i += 2)
        sum += image->mBits[i] ^ 0x1Fu;
    return sum;
}

uint32_t ParseBrandingChecksum(const std::string& line)
{
    uint32_t value = 0;
    for (char c : line) {
        if (c < '0' || c > '9')
            break;
        value = value * 10u + uint32_t(c - '0');
    }
    return value;
}

int ProgressSegments(float p, float* remainder)
{
    int n = p > 0 ? int(p / kSegmentSize) : 0;
    float r = 0;
    if (n >= kSegments) {
        n = kSegments;
    } else {
        r = (p - float(n) * kSegmentSize) / kSegmentSize;
        if (r < 0)
            r = 0;
    }
    if (remainder)
        *remainder = r;
    return n;
}

int ProgressSegmentX(int i)
{
    return 32 + int(std::floor(13.4 * i));
}

// The logos.

LogoSequence::~LogoSequence()
{
    for (const Logo& logo : mLogos)
        if (logo.mOwned)
            delete logo.mImage;
}

void LogoSequence::AddLogo(Kivo::Image* image, bool owned)
{
    mLogos.push_back({ image, owned });
}

void LogoSequence::Skip()
{
    mHold = 0;
    if (mFade.mCurrent <= 0.5f)
        mFade.mCurrent = 1.0f - mFade.mCurrent;
}

void LogoSequence::Update()
{
    if (!IsRunning() || mFade.IsMoving())
        return;
    ++mCurrent;
    mHold = 200;
    mFade.mCurrent = 0;
    mZoom = 1.0f;
}

void LogoSequence::UpdateF(float fraction)
{
    if (!IsRunning())
        return;
    if (mHold > 0 && std::fabs(mFade.mCurrent - 0.5f) < 0.01f)
        mHold -= fraction;
    else
        mFade.Update(fraction);
    if (mZoomEnabled)
        mZoom += fraction * 0.0002f;
}

int LogoSequence::OverlayAlpha() const
{
    return 255 - int(255 * std::sin(mFade.mCurrent * kPi));
}

void LogoSequence::Draw(Kivo::Graphics* g, int screenWidth, int screenHeight)
{
    if (!IsRunning())
        return;
    Kivo::Image* image = mLogos[mCurrent].mImage;
    if (!image)
        return;
    g->PushState();
    if (mZoomEnabled) {
        Kivo::Transform transform;
        transform.Scale(mZoom, mZoom);
        g->DrawImageTransformF(image, transform, 0.5f * screenWidth - 0.5f, 0.5f * screenHeight - 0.5f);
    } else {
        g->DrawImage(image, (screenWidth - image->GetCelWidth()) / 2, (screenHeight - image->GetCelHeight()) / 2);
    }
    g->SetColorizeImages(true);
    Kivo::Color overlay = mOverlayColor;
    overlay.mAlpha = OverlayAlpha();
    g->SetColor(overlay);
    g->FillRect(0, 0, screenWidth, screenHeight);
    g->PopState();
}

// The screen.

TitleScreen::TitleScreen(Kivo::KivoAppBase* app) : mApp(app)
{
    mWidgetFlagsMod.mAddFlags |= Kivo::WIDGETFLAGS_MARK_DIRTY;
    Resize(0, 0, app->GetWidth(), app->GetHeight());
    mLineBack = GetImageById("IMAGE_LOAD_LINE_BACK");
    mLineFore = GetImageById("IMAGE_LOAD_LINE_FORE");
    mLogos = new LogoSequence();
    const bool makerLast = app->GetBoolean("olvane_logo_last", false);
    if (!makerLast)
        mLogos->AddLogo(GetImageById("IMAGE_LOAD_OLVANE"), false);
    if (app->GetBoolean("branding", false))
        LoadBranding();
    if (makerLast)
        mLogos->AddLogo(GetImageById("IMAGE_LOAD_OLVANE"), false);

    mBlackFade.mCurrent = 1;
    mLabelAlpha.mCurrent = 1;
    mSceneRise.mCurrent = 0;
    mLineSlide.mCurrent = 0;
    mLineSlide.mTarget = float((mLineBack ? mLineBack->GetHeight() : 0) + 20);
}

TitleScreen::~TitleScreen()
{
    RemoveAllWidgets(false);
    delete mClickLabel;
    delete mLogos;
}

void TitleScreen::LoadBranding(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return;
    std::string path, sum;
    while (ReadLine(in, path) && ReadLine(in, sum)) {
        std::replace(path.begin(), path.end(), '\\', '/');
        std::unique_ptr<ImageLib::Image> decoded(ImageLib::GetImage(path));
        if (!decoded || ComputeBrandingChecksum(decoded.get()) != ParseBrandingChecksum(sum))
            continue;
        // The display image takes a copy of the pixels; the decoded image
        // keeps and frees its own.
        Kivo::MemoryImage* logo = mApp->ddInterface ? new Kivo::DDImage(mApp->ddInterface)
                                                    : new Kivo::MemoryImage(mApp);
        logo->mFilePath = path;
        logo->SetBits(decoded->mBits, decoded->mWidth, decoded->mHeight);
        mLogos->AddLogo(logo, true);
    }
}

void TitleScreen::Update()
{
    Widget::Update();
    mLoadingProgress = float(mApp->GetLoadingThreadProgress());
    mLogos->Update();
    const bool logosOver = !mLogos->IsRunning();
    if (logosOver)
        mSceneRise.mSpeed = 0.002f;
    if (mState == STATE_LOADED && logosOver && mSceneRise.mCurrent == 1.0f) {
        mState = STATE_WAITING;
        MusicManager::Instance()->PlayMenuMusic();
        mLineSlide.mSpeed = 1.2f;
        mLabelAlpha.mSpeed = 0.02f;
        mClickLabel = new LabelClickToContinue(Kivo::Color(255, 255, 255));
        AddWidget(mClickLabel);
        mClickLabel->FadeTo(false, false);
        mClickLabel->FadeTo(true, true);
        mClickLabel->SetDelay(0.7f);
        PlaySoundById("SOUND_GAME_LOADED");
    }
}

void TitleScreen::UpdateF(float fraction)
{
    mLoadingProgress = float(mApp->GetLoadingThreadProgress());
    mLogos->UpdateF(fraction);
    mLineSlide.Update(fraction);
    mLabelAlpha.Update(fraction);
    if (!mLogos->IsRunning()) {
        mBlackFade.mSpeed = 0.02f;
        mBlackFade.Update(fraction);
        mSceneRise.Update(fraction);
    }
}

void TitleScreen::Draw(Kivo::Graphics* g)
{
    g->SetColorRGBA(0, 0, 0, 255);
    g->FillRect(0, 0, mWidth, mHeight);
    mLogos->Draw(g, mApp->GetWidth(), mApp->GetHeight());
    if (mLogos->IsRunning())
        return;

    const float e = Kivo::CosInterpolateRefined(0.0f, 1.0f, mSceneRise.mCurrent);
    const float wave = 4 * Kivo::FastSin(float(mUpdateCount) / 150);
    struct Layer {
        const char* mId;
        float mY;
    };
    const Layer layers[] = {
        { "IMAGE_LOAD_VILLAGE_SKY", -50 * e - wave },
        { "IMAGE_LOAD_VILLAGE_LAYER1", 397 - 150 * e - 1.5f * wave },
        { "IMAGE_LOAD_VILLAGE_LAYER2", 165 - 100 * e - wave },
        { "IMAGE_LOAD_VILLAGE_LAYER3", 250 + 100 * e + wave },
        { "IMAGE_LOAD_VILLAGE_LAYER4", 126 + 200 * e + 2 * wave },
    };
    for (const Layer& layer : layers)
        if (Kivo::Image* image = GetImageById(layer.mId))
            g->DrawImageF(image, 0, layer.mY);
    if (Kivo::Image* titleImage = GetImageById("IMAGE_LOAD_TITLE"))
        g->DrawImageF(titleImage, float((800 - titleImage->GetWidth()) / 2), 50 - 30 * e);

    if (Kivo::Font* font = GetFontById("FONT_LOADING")) {
        g->SetFont(font);
        g->SetColorRGBA(255, 255, 255, int(mLabelAlpha.mCurrent * 255));
        const std::string text = GetStringById("label_loading");
        g->DrawString(text, 400 - g->StringWidth(text) / 2, 525);
    }

    if (mLineBack && mLineFore) {
        if (!mLineMeasured) {
            mLineMeasured = true;
            mLineY = mApp->GetHeight() - mLineBack->GetHeight() - 5;
            mLineWidth = mLineBack->GetWidth();
        }
        const float p = std::min(mSceneRise.mCurrent, mLoadingProgress);
        g->PushState();
        g->Translate((mWidth - mLineWidth) / 2, int(mLineSlide.mCurrent) + mLineY);
        g->DrawImage(mLineBack, 0, 0);
        float r = 0;
        const int n = ProgressSegments(p, &r);
        for (int i = 0; i < n; ++i)
            g->DrawImage(mLineFore, ProgressSegmentX(i), 18);
        if (r > 0) {
            g->SetColorizeImages(true);
            g->SetColorRGBA(255, 255, 255, int(r * 255));
            g->DrawImage(mLineFore, ProgressSegmentX(n), 18);
        }
        g->PopState();
    }

    if (mBlackFade.IsMoving()) {
        g->SetColorRGBA(0, 0, 0, int(mBlackFade.mCurrent * 255));
        g->FillRect(0, 0, mWidth, mHeight);
    }
}

void TitleScreen::Press()
{
    if (mState != STATE_WAITING)
        return;
    mState = STATE_LEAVING;
    new FullscreenFadder(false, new CB_Callback<TitleScreen, void>(this, &TitleScreen::OnFadeOutDone));
}

void TitleScreen::MouseDown(int, int, int)
{
    mLogos->Skip();
    Press();
}

void TitleScreen::KeyDown(int key)
{
    mLogos->Skip();
    if (key == 13 || key == 32 || key == 27)
        Press();
}

void TitleScreen::LoadingComplete()
{
    mState = STATE_LOADED;
    if (mApp->GetInteger("set_start_level", -1) != -1)
        HandOver();
}

void TitleScreen::OnFadeOutDone()
{
    HandOver();
}

void TitleScreen::HandOver()
{
    if (mManager)
        mManager->RemoveWidget(this);
    mApp->SafeDeleteWidget(this);
    if (auto* host = dynamic_cast<FirstScreenHost*>(mApp))
        host->ShowFirstScreen();
}
