#include "game/meta/TownItem.h"

#include "framework/resources/ResourceHelpers.h"
#include "game/meta/TownXml.h"

#include <cstring>
#include <tinyxml.h>

namespace {

std::string TextOf(const TiXmlElement* e)
{
    const char* id = e->Attribute("id");
    return id ? GetStringById(id) : std::string();
}

} // namespace

TownItem::TownItem() = default;

TownItem::~TownItem() = default;

bool TownItem::Load(TiXmlElement* element)
{
    if (!element)
        return false;
    const char* itemId = element->Attribute("id");
    if (!itemId)
        return false;
    id = itemId;
    for (TiXmlElement* e = element->FirstChildElement(); e; e = e->NextSiblingElement()) {
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
            auto loaded = std::make_unique<LayerSet>();
            if (!loaded->Load(e))
                continue;
            // The construction look, the upgrade-slot preview and the end
            // animation wait for their commands.
            for (ComplexImage* child : loaded->mChildren) {
                const std::string& n = child->mName;
                if (n == "gfx" || n == "preview" || n == "animation")
                    child->mVisible = false;
            }
            picture = std::move(loaded);
        }
    }
    initiallyShown = shown;
    return picture != nullptr;
}

void TownItem::Update()
{
    effects.processEffects();
    if (picture)
        picture->Tick();
}

void TownItem::UpdateF(float dt)
{
    effects.updateEffects(dt);
    if (picture)
        picture->Update(dt);
}

void TownItem::Draw(Kivo::Graphics* g)
{
    if (shown && picture)
        picture->Draw(g, 0, 0);
    effects.drawEffects(g);
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

ComplexImage* TownItem::FindLayerContainer(LayerSet* picture, const std::vector<std::string>& names)
{
    if (!picture || names.empty())
        return nullptr;
    ComplexImage* layer = picture;
    for (size_t i = 0; layer && i + 1 < names.size(); ++i)
        layer = layer->FindLayer(names[i]);
    return layer;
}

ComplexImage* TownItem::GetLayerContainer(const std::string& path)
{
    return FindLayerContainer(picture.get(), SplitPath(path));
}

bool TownItem::IsLayerVisible(const std::string& path)
{
    std::vector<std::string> names = SplitPath(path);
    ComplexImage* container = FindLayerContainer(picture.get(), names);
    if (!container)
        return false;
    for (int i = 0; i < container->GetLayerCount(); ++i) {
        ComplexImage* child = container->GetLayer(i);
        if (child && child->mName == names.back() && !child->mVisible)
            return false;
    }
    return true;
}

void TownItem::SetLayerVisible(const std::string& path, bool visible)
{
    std::vector<std::string> names = SplitPath(path);
    ComplexImage* container = FindLayerContainer(picture.get(), names);
    if (!container)
        return;
    for (int i = 0; i < container->GetLayerCount(); ++i) {
        ComplexImage* child = container->GetLayer(i);
        if (child && child->mName == names.back())
            child->mVisible = visible;
    }
}
