#include "game/effects/LayerSet.h"

#include "game/effects/LayerImage.h"
#include "game/effects/LayerParticles.h"
#include "game/effects/LayerXml.h"

#include <algorithm>
#include <cstring>
#include <tinyxml.h>

LayerSet::~LayerSet()
{
    for (ComplexImage* child : mChildren)
        delete child;
}

void LayerSet::Draw(Kivo::Graphics* g, int x, int y)
{
    if (!mVisible)
        return;
    for (auto it = mChildren.rbegin(); it != mChildren.rend(); ++it)
        (*it)->Draw(g, x + mX, y + mY);
}

void LayerSet::DrawForced(Kivo::Graphics* g, int x, int y)
{
    for (auto it = mChildren.rbegin(); it != mChildren.rend(); ++it)
        (*it)->DrawForced(g, (*it)->mX + mX + x, (*it)->mY + mY + y);
}

void LayerSet::Tick()
{
    for (ComplexImage* child : mChildren)
        child->Tick();
}

void LayerSet::Update(float dt)
{
    for (ComplexImage* child : mChildren)
        child->Update(dt);
}

ComplexImage* LayerSet::FindLayer(const std::string& name)
{
    auto it = mByName.find(name);
    return it == mByName.end() ? nullptr : it->second;
}

ComplexImage* LayerSet::GetLayer(int index)
{
    if (index < 0 || index >= GetLayerCount())
        return nullptr;
    return mChildren[static_cast<size_t>(index)];
}

bool LayerSet::Load(TiXmlElement* element)
{
    if (!element)
        return false;
    ReadLayerPlacement(element, this);
    element->QueryIntAttribute("width", &mWidth);
    element->QueryIntAttribute("height", &mHeight);
    for (TiXmlElement* e = element->FirstChildElement(); e; e = e->NextSiblingElement()) {
        ComplexImage* child = nullptr;
        if (std::strcmp(e->Value(), "Image") == 0)
            child = new LayerImage;
        else if (std::strcmp(e->Value(), "Layer") == 0)
            child = new LayerSet;
        else if (std::strcmp(e->Value(), "Particles") == 0)
            child = new LayerParticles;
        // Other elements are skipped.
        if (!child)
            continue;
        if (!child->Load(e)) {
            delete child;
            continue;
        }
        mChildren.push_back(child);
        mByName[child->mName] = child;
    }
    mVisible = true;
    if (mWidth < 0) {
        mWidth = 0;
        for (ComplexImage* child : mChildren)
            mWidth = std::max(mWidth, child->mX + child->GetWidth());
    }
    if (mHeight < 0) {
        mHeight = 0;
        for (ComplexImage* child : mChildren)
            mHeight = std::max(mHeight, child->mY + child->GetHeight());
    }
    return !mChildren.empty();
}
