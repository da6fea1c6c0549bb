#include "game/play/GameScreenEffects.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/effects/GfxDelay.h"
#include "game/effects/GfxManager.h"
#include "game/effects/GfxPyroSystem.h"
#include "game/match/LevelMap.h"

#include <algorithm>

namespace {
// Seconds of the entrances, the flare and the mode switch.
constexpr float kBoardAppearTime = 1.0f;
constexpr float kBricksAppearTime = 1.5f;
constexpr float kFlareTime = 0.8f;
constexpr float kModeSwitchTime = 1.5f;
constexpr float kTitleTime = 2.0f;

// A title in the big effects font that grows in, stays and fades out.
class TitleText : public gfxBase {
public:
    TitleText(std::string text, int x, int y) : mText(std::move(text)), mX(x), mY(y) {}

    int process() override { return mTime >= kTitleTime ? -1 : 0; }
    void update(float frac) override { mTime += frac / 100; }
    void draw(Kivo::Graphics* g) override
    {
        Kivo::Font* font = GetFontById("FONT_EFFECTS_BIG");
        if (!font || mText.empty())
            return;
        const float t = mTime / kTitleTime;
        const float alpha = std::clamp(t < 0.2f ? t / 0.2f : (1 - t) / 0.3f, 0.0f, 1.0f);
        const float scale = 0.6f + 0.4f * std::min(1.0f, t / 0.2f);
        g->PushState();
        g->SetFont(font);
        g->SetColorRGBA(255, 255, 255, static_cast<int>(alpha * 255));
        g->SetScale(scale, scale, static_cast<float>(mX), static_cast<float>(mY));
        g->DrawString(mText, mX - g->StringWidth(mText) / 2, mY);
        g->PopState();
    }

private:
    std::string mText;
    int mX, mY;
    float mTime = 0;
};
} // namespace

void AddEmitter(GfxManager& effects, const char* name, float x, float y)
{
    effects.addEffect(new GfxPyroSystem(name, static_cast<int>(x), static_cast<int>(y)));
}

gfxBase* NewBoardAppear(baseCallback* done) { return new GfxDelay(kBoardAppearTime, done); }

gfxBase* NewBricksAppear(const LevelMap& /*map*/, baseCallback* done) { return new GfxDelay(kBricksAppearTime, done); }

gfxBase* NewSwirlText(const std::string& text, int x, int y) { return new TitleText(text, x, y); }

gfxBase* NewFlare(float /*fromX*/, float /*fromY*/, float /*toX*/, float /*toY*/, baseCallback* done)
{
    return new GfxDelay(kFlareTime, done);
}

gfxBase* NewModeSwitch(const LevelMap& /*oldMap*/, const LevelMap& /*newMap*/, baseCallback* done)
{
    return new GfxDelay(kModeSwitchTime, done);
}
