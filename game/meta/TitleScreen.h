#pragma once
// The first screen: the maker's logo (and a distributor's from
// "branding.txt"), then the village picture rising while a line of 19
// segments follows the loading thread, then "click to continue". A click or
// key fades to black and hands over to the application, which creates the
// screens and opens the menu. A plain widget, not a screen state.
#include "framework/graphics/Color.h"
#include "framework/graphics/LiveValue.h"
#include "framework/widgets/Widget.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ImageLib {
class Image;
}
namespace Kivo {
class Image;
class KivoAppBase;
} // namespace Kivo
class LabelClickToContinue;

// What the title screen asks of the game application when the player
// leaves it: free the title's resources, create the screens and open the
// first one.
class FirstScreenHost {
public:
    virtual ~FirstScreenHost() = default;
    virtual void ShowFirstScreen() = 0;
};

// Full-screen logos, one after the other: each fades in from black, stands,
// and fades out to black while slowly zooming.
class LogoSequence {
public:
    struct Logo {
        Kivo::Image* mImage;
        bool mOwned;
    };

    LogoSequence() = default;
    LogoSequence(const LogoSequence&) = delete;
    LogoSequence& operator=(const LogoSequence&) = delete;
    // Deletes the owned logos.
    ~LogoSequence();

    void AddLogo(Kivo::Image* image, bool owned);
    bool IsRunning() const { return mCurrent < int(mLogos.size()); }
    // Ends the stand; a logo still fading in continues from the mirrored
    // point of its fade-out, at the same brightness.
    void Skip();
    void Update();
    void UpdateF(float fraction);
    void Draw(Kivo::Graphics* g, int screenWidth, int screenHeight);
    // The black overlay's alpha over the current logo.
    int OverlayAlpha() const;

    Kivo::Color mOverlayColor { 0, 0, 0 };
    bool mZoomEnabled = true;
    std::vector<Logo> mLogos;
    int mCurrent = 0;
    Kivo::LiveValue mFade { 1.0f, 0.008f };
    float mHold = 250;
    float mZoom = 1.0f;
};

class TitleScreen : public Kivo::Widget {
public:
    enum State : uint8_t { STATE_LOADING = 0, STATE_LOADED = 1, STATE_WAITING = 2, STATE_LEAVING = 3 };

    // The application answers the loading progress and the settings; when
    // it is a FirstScreenHost it is handed over to when the player leaves.
    explicit TitleScreen(Kivo::KivoAppBase* app);
    ~TitleScreen() override;

    void Update() override;
    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;
    void KeyDown(int key) override;
    void MouseDown(int x, int y, int clickCode) override;

    // Loading has finished. With "set_start_level" the screen goes at once
    // and the game starts without the click.
    void LoadingComplete();
    void OnFadeOutDone();
    // Reads "branding.txt" (pairs of lines: an image path, its checksum)
    // into the logos; logos that fail to load or to match are left out.
    void LoadBranding(const std::string& fileName = "branding.txt");

    Kivo::KivoAppBase* mApp;
    LogoSequence* mLogos;
    Kivo::LiveValue mBlackFade { 0.0f, 0.0f };
    float mLoadingProgress = 0;
    Kivo::LiveValue mLabelAlpha { 0.0f, 0.0f };
    Kivo::LiveValue mSceneRise { 1.0f, 0.0f };
    Kivo::Image* mLineBack;
    Kivo::Image* mLineFore;
    Kivo::LiveValue mLineSlide { 0.0f, 0.0f };
    LabelClickToContinue* mClickLabel = nullptr;
    uint8_t mState = STATE_LOADING;
    // The progress line's place, taken on the first draw.
    bool mLineMeasured = false;
    int mLineY = 0;
    int mLineWidth = 0;

private:
    void HandOver();
    void Press();
};

// The 32-bit wrap-around sum of (pixel XOR 0x1F) over the even pixel
// indices below w * h - 2; 0 without pixels.
uint32_t ComputeBrandingChecksum(const ImageLib::Image* image);
// Leading decimal digits with 32-bit wrap-around; 0 when there are none.
uint32_t ParseBrandingChecksum(const std::string& line);
// The progress line for progress p: the number of full segments (at most
// 19) and the fraction of the next one.
int ProgressSegments(float p, float* remainder);
// Segment i's x within the line image.
int ProgressSegmentX(int i);
