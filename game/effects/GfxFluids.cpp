#include "game/effects/GfxFluids.h"

#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/effects/mutValueTo.h"
#include "game/effects/mutWait.h"
#include "game/ui/Callback.h"

#include <cmath>

namespace {

struct FluidImages {
    Kivo::Image* mStream = GetImageById("IMAGE_GFX_FLUID1");
    Kivo::Image* mGlow = GetImageById("IMAGE_GFX_FLUID2");
    Kivo::Image* mDot = GetImageById("IMAGE_GFX_FLUID_DOT");
};

FluidImages Images()
{
    return FluidImages();
}

// The curve with its middle pushed sideways by a random part of the half distance.
Kivo::BezierCurve MakeCurve(float fromX, float fromY, float toX, float toY)
{
    const float hx = (toX - fromX) / 2;
    const float hy = (toY - fromY) / 2;
    const float r = Kivo::RandomFloat(-1, 1);
    const float mx = fromX + hx - r * hy;
    const float my = fromY + hy + r * hx;
    return Kivo::BezierCurve(fromX, fromY, mx - fromX, my - fromY, toX, toY, mx - toX, my - toY);
}

} // namespace

GfxFluids::GfxFluids(float fromX, float fromY, float toX, float toY, baseCallback* callback)
    : mCurve(MakeCurve(fromX, fromY, toX, toY)), mCallback(callback)
{
    mMesh.ResetVertices(0xFFFFFFFF);
    mMesh.SetImage(Images().mStream);
    LayOut();
}

GfxFluids::~GfxFluids() { delete mCallback; }

void GfxFluids::addPause(float seconds)
{
    if (!activeModule())
        addModule(new mutWait(seconds, true));
}

bool GfxFluids::start()
{
    const float duration = mCurve.GetChordLength() / 100 / (mSpeedFactor * 15);
    addModule(new mutValueTo<float>(duration, &mHead, 1.0f));
    addModule(new mutWait(0, true));
    addModule(new mutValueTo<float>(duration, &mTail, 1.0f));
    return true;
}

void GfxFluids::update(float) { updateModules(); }

int GfxFluids::process()
{
    LayOut();
    if (mHead >= 1) {
        InvokeOnce(mCallback);
        if (mHead - mTail < 0.01f)
            return -1;
    }
    return 0;
}

void GfxFluids::LayOut()
{
    static const float kWidth[8] = {0.2f, 0.6f, 1, 1, 1, 1, 0.6f, 0.2f};
    static const float kAlpha[8] = {0.1f, 0.5f, 1, 1, 1, 1, 0.5f, 0.1f};
    Kivo::Image* image = mMesh.mImage;
    const float w = image ? static_cast<float>(image->GetWidth()) : 0;
    const float h = image ? static_cast<float>(image->GetHeight()) : 0;
    const float cel = image ? static_cast<float>(image->GetCelHeight()) : 0;
    const float span = mHead - mTail;
    // While the tail is at the start the texture's right part grows with the
    // stream; afterwards its left part covers what is left.
    if (mTail == 0)
        mMesh.SetSourceRect(w * (1 - mHead), 0.0f, w * mHead, h);
    else
        mMesh.SetSourceRect(0.0f, 0.0f, w * (1 - mTail), h);
    Kivo::Vec2f p[8];
    for (int i = 0; i < 8; ++i)
        mCurve.GetPoint(mTail + span * static_cast<float>(i) / 7, p[i]);
    for (int i = 0; i < 8; ++i) {
        // The direction lags one column behind the point.
        float dx, dy;
        if (i < 2) {
            dx = p[1].x - p[0].x;
            dy = p[1].y - p[0].y;
        } else {
            dx = p[i - 1].x - p[i - 2].x;
            dy = p[i - 1].y - p[i - 2].y;
            if (dx == 0 && dy == 0) {
                dx = p[1].x - p[i - 1].x;
                dy = p[1].y - p[i - 1].y;
            }
        }
        float length = std::hypot(dx, dy);
        if (length == 0)
            length = 0.001f;
        const float nx = -dy / length;
        const float ny = dx / length;
        const float half = cel * 0.5f * kWidth[i];
        float alpha = kAlpha[i];
        if (span < 0.2f)
            alpha *= span / 0.2f;
        mMesh.SetVertexPos(i, 0, p[i].x + nx * half, p[i].y + ny * half, 1);
        mMesh.SetVertexPos(i, 1, p[i].x, p[i].y, 1);
        mMesh.SetVertexPos(i, 2, p[i].x - nx * half, p[i].y - ny * half, 1);
        mMesh.SetVertexColor(i, 0, 0xFAFFFFFF);
        mMesh.SetVertexColor(i, 1, (static_cast<uint32_t>(static_cast<int>(alpha * 255)) << 24) | 0xFFFFFF);
        mMesh.SetVertexColor(i, 2, 0xFAFFFFFF);
    }
}

void GfxFluids::draw(Kivo::Graphics* g)
{
    if (mHead == 0)
        return;
    const FluidImages images = Images();
    g->PushState();
    g->SetDrawMode(Kivo::DRAWMODE_ADDITIVE);
    mMesh.SetImage(images.mStream);
    mMesh.Draw(g);
    mMesh.ScaleAlpha(0.8f);
    mMesh.SetImage(images.mGlow);
    mMesh.Draw(g);
    g->SetDrawMode(Kivo::DRAWMODE_NORMAL);
    if (images.mDot) {
        Kivo::Vec2f head;
        mCurve.GetPoint(mHead, head);
        g->DrawImageF(images.mDot, head.x - static_cast<float>(images.mDot->GetWidth()) / 2,
                      head.y - static_cast<float>(images.mDot->GetHeight()) / 2);
    }
    g->PopState();
}
