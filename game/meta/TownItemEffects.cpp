#include "game/meta/TownItemEffects.h"

#include "framework/core/FastMath.h"
#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/effects/GfxPyroSystem.h"
#include "game/meta/TownItem.h"

namespace {

// The item's construction look, else its finished look.
ComplexImage* FallingLayer(TownItem* item)
{
    if (!item || !item->picture)
        return nullptr;
    ComplexImage* layer = item->picture->FindLayer("gfx");
    return layer ? layer : item->picture->FindLayer("town");
}

void PictureCentre(TownItem* item, int* x, int* y)
{
    LayerSet* p = item->picture.get();
    *x = p ? p->mX + p->GetWidth() / 2 : 0;
    *y = p ? p->mY + p->GetHeight() / 2 : 0;
}

// A particle burst of the town's emitters: beside the effect when added as
// it starts, after it when added as it ends.
void AddParticles(gfxBase* effect, const char* emitter, int x, int y)
{
    effect->addNext(new GfxPyroSystem(emitter, x, y));
}

void SetAlpha(Kivo::Graphics* g, float alpha)
{
    g->SetColorizeImages(true);
    g->SetColorRGBA(255, 255, 255, static_cast<int>(alpha * 255));
}

} // namespace

GfxTownItemVisible::GfxTownItemVisible(TownItem* item, bool show) : mItem(item), mAlpha(show ? 1.0f : 0.0f, 0.02f)
{
    mAlpha.mCurrent = mAlpha.mPrevious = show ? 0.0f : 1.0f;
}

bool GfxTownItemVisible::start()
{
    mItem->shown = false;
    if (mAlpha.mTarget == 1) {
        int x, y;
        PictureCentre(mItem, &x, &y);
        AddParticles(this, mItem->type == TownItem::kStage ? "town_appear_stage" : "town_appear", x, y);
    }
    return true;
}

void GfxTownItemVisible::update(float dt)
{
    mAlpha.Update(dt);
}

int GfxTownItemVisible::process()
{
    if (mAlpha.IsMoving())
        return 0;
    mItem->shown = mAlpha.mCurrent == 1;
    return -1;
}

void GfxTownItemVisible::draw(Kivo::Graphics* g)
{
    if (!mItem->picture)
        return;
    g->PushState();
    SetAlpha(g, mAlpha.mCurrent);
    mItem->picture->Draw(g, 0, 0);
    g->PopState();
}

GfxTownItemLayerVisible::GfxTownItemLayerVisible(TownItem* item, const std::string& path, bool show)
    : mLayerName(TownItem::SplitPath(path).back()), mContainer(item->GetLayerContainer(path)), mItem(item),
      mAlpha(show ? 1.0f : 0.0f, 0.02f)
{
    mAlpha.mCurrent = mAlpha.mPrevious = show ? 0.0f : 1.0f;
    if (mContainer) {
        mX = mContainer->mX;
        mY = mContainer->mY;
    }
}

std::vector<ComplexImage*> GfxTownItemLayerVisible::Layers() const
{
    std::vector<ComplexImage*> layers;
    for (int i = 0; mContainer && i < mContainer->GetLayerCount(); ++i)
        if (ComplexImage* child = mContainer->GetLayer(i); child && child->mName == mLayerName)
            layers.push_back(child);
    return layers;
}

bool GfxTownItemLayerVisible::start()
{
    if (!mContainer)
        return false;
    for (ComplexImage* child : Layers()) {
        child->mVisible = false;
        if (mAlpha.mTarget == 1)
            AddParticles(this, "animation_appear", mX + child->mX + child->GetWidth() / 2,
                         mY + child->mY + child->GetHeight() / 2 - 20);
    }
    return true;
}

void GfxTownItemLayerVisible::update(float dt)
{
    mAlpha.Update(dt);
}

int GfxTownItemLayerVisible::process()
{
    if (mAlpha.IsMoving())
        return 0;
    for (ComplexImage* child : Layers())
        child->mVisible = mAlpha.mCurrent == 1;
    return -1;
}

void GfxTownItemLayerVisible::draw(Kivo::Graphics* g)
{
    g->PushState();
    SetAlpha(g, mAlpha.mCurrent);
    for (ComplexImage* child : Layers())
        child->DrawForced(g, mX + child->mX, mY + child->mY);
    g->PopState();
}

GfxTownItemBuild::GfxTownItemBuild(TownItem* item) : mItem(item), mLayer(FallingLayer(item))
{
    if (mLayer) {
        mX = item->picture->mX;
        mY = item->picture->mY;
    }
}

bool GfxTownItemFall::start()
{
    if (!mLayer)
        return false;
    mX += mLayer->mX;
    mY += mLayer->mY;
    mCurrentY = static_cast<float>(-mLayer->GetHeight());
    mItem->shown = false;
    PlaySoundById("SOUND_TOWN_BUILDING_FALL_START");
    return true;
}

void GfxTownItemFall::update(float dt)
{
    mCurrentY += dt * mSpeed;
    mSpeed += dt * 0.02f;
}

int GfxTownItemFall::process()
{
    if (mCurrentY < static_cast<float>(mY))
        return 0;
    mItem->shown = true;
    int x, y;
    PictureCentre(mItem, &x, &y);
    AddParticles(this, "town_fall", x, y);
    PlaySoundById("SOUND_TOWN_BUILDING_FALL_END");
    return -1;
}

void GfxTownItemFall::draw(Kivo::Graphics* g)
{
    mLayer->DrawForced(g, mX, static_cast<int>(mCurrentY));
}

bool GfxTownItemFallParts::start()
{
    if (!mLayer)
        return false;
    mItem->shown = false;
    for (int i = 0; i < mLayer->GetLayerCount(); ++i) {
        ComplexImage* c = mLayer->GetLayer(i);
        if (!c)
            continue;
        Part part{c, c->mX + mX, c->mY + mY, 0, 0, 0, false};
        part.currentY = static_cast<float>(-c->GetHeight()) * Kivo::RandomFloat(1, 4);
        part.speed = 0.15f * Kivo::RandomFloat(1, 2);
        part.acceleration = 0.02f * Kivo::RandomFloat(1, 2);
        mParts.push_back(part);
    }
    PlaySoundById("SOUND_TOWN_BUILDING_FALL_START");
    return true;
}

void GfxTownItemFallParts::update(float dt)
{
    for (Part& part : mParts) {
        if (part.landed)
            continue;
        part.currentY += part.speed * dt;
        part.speed += part.acceleration * dt;
        if (static_cast<float>(part.targetY) <= part.currentY) {
            part.currentY = static_cast<float>(part.targetY);
            part.landed = true;
            PlaySoundPitchedByName("SOUND_TOWN_BUILDING_FALL_END", Kivo::RandomInt(-1, 1), 0);
        }
    }
}

int GfxTownItemFallParts::process()
{
    for (const Part& part : mParts)
        if (!part.landed)
            return 0;
    mItem->shown = true;
    addNext(new GfxTownItemMorph(mItem, mLayer, mItem->picture->FindLayer("town")));
    int x, y;
    PictureCentre(mItem, &x, &y);
    AddParticles(this, "town_fall", x, y);
    return -1;
}

void GfxTownItemFallParts::draw(Kivo::Graphics* g)
{
    for (auto it = mParts.rbegin(); it != mParts.rend(); ++it)
        it->layer->DrawForced(g, it->x, static_cast<int>(it->currentY));
}

bool GfxTownItemGrow::start()
{
    if (!mLayer)
        return false;
    LayerSet* p = mItem->picture.get();
    AddParticles(this, "town_grow", p->mX + p->GetWidth() / 2, p->mY + p->GetHeight());
    PlaySoundById("SOUND_TOWN_BUILDING_GROW");
    mItem->shown = false;
    mT = 0;
    return true;
}

void GfxTownItemGrow::update(float dt)
{
    mT += dt * 0.8f * 0.01f;
}

int GfxTownItemGrow::process()
{
    if (mT < 1)
        return 0;
    mItem->shown = true;
    return -1;
}

void GfxTownItemGrow::draw(Kivo::Graphics* g)
{
    g->PushState();
    g->SetClipRect(mX, mY, mLayer->GetWidth(), mLayer->GetHeight());
    auto offset = static_cast<int>(static_cast<float>(mLayer->GetHeight()) * Kivo::CosInterpolate(1, 0, mT));
    mLayer->DrawForced(g, mX, mY + offset);
    g->PopState();
}

GfxTownItemMorph::GfxTownItemMorph(TownItem* item, ComplexImage* from, ComplexImage* to)
    : mItem(item), mFrom(from), mTo(to)
{
}

bool GfxTownItemMorph::start()
{
    if (!mFrom || !mTo || !mItem->picture)
        return false;
    mItem->shown = false;
    return true;
}

void GfxTownItemMorph::update(float dt)
{
    mT = std::min(mT + dt * 0.02f, 1.0f);
}

int GfxTownItemMorph::process()
{
    if (mT < 1)
        return 0;
    mItem->shown = true;
    return -1;
}

void GfxTownItemMorph::draw(Kivo::Graphics* g)
{
    const LayerSet* p = mItem->picture.get();
    g->PushState();
    SetAlpha(g, 1 - mT);
    mFrom->DrawForced(g, p->mX + mFrom->mX, p->mY + mFrom->mY);
    SetAlpha(g, mT);
    mTo->DrawForced(g, p->mX + mTo->mX, p->mY + mTo->mY);
    g->PopState();
}
