#include "game/effects/LayerParticles.h"

#include "framework/graphics/Graphics.h"
#include "game/effects/LayerXml.h"

void LayerParticles::Draw(Kivo::Graphics* g, int x, int y)
{
    if (mVisible)
        DrawForced(g, x + mX, y + mY);
}

void LayerParticles::DrawForced(Kivo::Graphics* g, int x, int y)
{
    g->PushState();
    g->Translate(x - mX, y - mY);
    mEmitters.Render(g);
    g->PopState();
}

void LayerParticles::Update(float dt)
{
    if (mVisible)
        mEmitters.Update(dt);
}

bool LayerParticles::Load(TiXmlElement* element)
{
    if (!element)
        return false;
    ReadLayerPlacement(element, this);
    mVisible = true;
    return mEmitters.Spawn(LayerAttribute(element, "id"), static_cast<float>(mX), static_cast<float>(mY)) != nullptr;
}
