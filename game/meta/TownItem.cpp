#include "game/meta/TownItem.h"

#include "framework/resources/ResourceHelpers.h"
#include "game/meta/TownXml.h"

#include <cstring>
#include <tinyxml.h>

namespace {

TownGfxHost* sHost = nullptr;

std::string TextOf(const TiXmlElement* e)
{
    const char* id = e->Attribute("id");
    return id ? GetStringById(id) : std::string();
}

} // namespace

void SetTownGfxHost(TownGfxHost* host)
{
    sHost = host;
}

TownGfxHost* GetTownGfxHost()
{
    return sHost;
}

TownItem::TownItem()
{
    if (sHost)
        effects = sHost->CreateEffects();
}

TownItem::~TownItem()
{
    effects.reset();
    picture.reset();
}

bool TownItem::Load(const TiXmlElement* element)
{
    if (!element)
        return false;
    const char* itemId = element->Attribute("id");
    if (!itemId)
        return false;
    id = itemId;
    for (const TiXmlElement* e = element->FirstChildElement(); e; e = e->NextSiblingElement()) {
        if (TownElementIs(e, "Name")) {
            name = TextOf(e);
        } else if (TownElementIs(e, "Description")) {
            description = TextOf(e);
        } else if (TownElementIs(e, "Type")) {
            const char* value = e->Attribute("id");
            if (!value)
                continue;
            if (std::strcmp(value, "background") == 0) {
                type = kBackground;
            } else if (std::strcmp(value, "building") == 0) {
                type = kBuilding;
                shown = false;
            } else if (std::strcmp(value, "stage") == 0) {
                type = kStage;
                shown = false;
            }
        } else if (TownElementIs(e, "Layer")) {
            std::unique_ptr<TownPicture> loaded = sHost ? sHost->CreatePicture() : nullptr;
            if (!loaded || !loaded->Load(e))
                continue;
            // The construction look, the upgrade-slot preview and the end
            // animation wait for their commands.
            for (int i = 0; i < loaded->GetChildCount(); ++i) {
                TownLayer* child = loaded->GetChild(i);
                if (!child)
                    continue;
                const std::string& n = child->GetName();
                if (n == "gfx" || n == "preview" || n == "animation")
                    child->SetShown(false);
            }
            picture = std::move(loaded);
        }
    }
    initiallyShown = shown;
    return picture != nullptr;
}

void TownItem::Update()
{
    if (effects)
        effects->Process();
    if (picture)
        picture->Update();
}

void TownItem::UpdateF(float dt)
{
    if (effects)
        effects->Update(dt);
    if (picture)
        picture->UpdateF(dt);
}

void TownItem::Draw(Kivo::Graphics* g)
{
    if (shown && picture)
        picture->Draw(g, 0, 0);
    if (effects)
        effects->Draw(g);
}

std::vector<std::string> TownItem::SplitPath(const std::string& path)
{
    std::vector<std::string> names;
    size_t start = 0;
    for (;;) {
        size_t colon = path.find(':', start);
        names.push_back(path.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
        if (colon == std::string::npos)
            return names;
        start = colon + 1;
    }
}

TownLayer* TownItem::FindLayerContainer(TownPicture* picture, const std::vector<std::string>& names)
{
    if (!picture || names.empty())
        return nullptr;
    TownLayer* layer = picture;
    for (size_t i = 0; layer && i + 1 < names.size(); ++i)
        layer = layer->FindByName(names[i]);
    return layer;
}

TownLayer* TownItem::GetLayerContainer(const std::string& path)
{
    return FindLayerContainer(picture.get(), SplitPath(path));
}

bool TownItem::IsLayerVisible(const std::string& path)
{
    std::vector<std::string> names = SplitPath(path);
    TownLayer* container = FindLayerContainer(picture.get(), names);
    if (!container)
        return false;
    for (int i = 0; i < container->GetChildCount(); ++i) {
        TownLayer* child = container->GetChild(i);
        if (child && child->GetName() == names.back() && !child->IsShown())
            return false;
    }
    return true;
}

void TownItem::SetLayerVisible(const std::string& path, bool visible)
{
    std::vector<std::string> names = SplitPath(path);
    TownLayer* container = FindLayerContainer(picture.get(), names);
    if (!container)
        return;
    for (int i = 0; i < container->GetChildCount(); ++i) {
        TownLayer* child = container->GetChild(i);
        if (child && child->GetName() == names.back())
            child->SetShown(visible);
    }
}
