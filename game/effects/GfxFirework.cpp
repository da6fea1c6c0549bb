#include "game/effects/GfxFirework.h"

#include "framework/core/Random.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/effects/GfxPyroSystem.h"

#include <cmath>

GfxFirework::GfxFirework(int kind) : mKind(kind < 0 ? Kivo::RandomInt(0, 2) : kind) {}

bool GfxFirework::start()
{
    if (!mEmitter.HasInstance())
        return false;
    mTime = 0;
    mX = Kivo::RandomFloat(100, 700);
    mY = 600;
    const float side = mX <= 400 ? 1.0f : -1.0f;
    const float dx = Kivo::RandomFloat(1, 10) * side;
    const float dy = -Kivo::RandomFloat(20, 50);
    const float length = std::hypot(dx, dy);
    const float speed = Kivo::RandomFloat(450, 650);
    mVelocityX = dx / length * speed;
    mVelocityY = dy / length * speed;
    mEmitter.PlaceAndStart(mX, mY);
    PlaySoundPitchedByName("SOUND_FIREWORKS_STAR1", Kivo::RandomInt(-5, 5), 0);
    return true;
}

void GfxFirework::update(float frac)
{
    mTime += 0.01f * frac;
    if (!mExploded) {
        mX += mVelocityX * 0.01f * frac;
        mY += mVelocityY * 0.01f * frac;
        mVelocityY += 200 * 0.01f * frac;
    }
    mEmitter.update(frac);
    mEmitter.setPos(mX, mY);
}

int GfxFirework::process()
{
    if (!mExploded && mTime >= 1.0f) {
        static const struct {
            const char* mBurst;
            const char* mSound;
        } kKinds[] = {{"fireworks_explode1", "SOUND_FIREWORKS_EXPLODE1"},
                      {"fireworks_explode2", "SOUND_FIREWORKS_EXPLODE1"},
                      {"fireworks_explode3", "SOUND_FIREWORKS_EXPLODE2"}};
        mExploded = true;
        mEmitter.stop();
        const auto& kind = kKinds[mKind >= 0 && mKind <= 2 ? mKind : 0];
        addNext(new GfxPyroSystem(kind.mBurst, static_cast<int>(mX), static_cast<int>(mY)));
        PlaySoundPitchedByName(kind.mSound, Kivo::RandomInt(-10, 10), 0);
    }
    if (mExploded && !mEmitter.alive())
        return -1;
    return 0;
}

void GfxFirework::draw(Kivo::Graphics* g) { mEmitter.render(g); }
