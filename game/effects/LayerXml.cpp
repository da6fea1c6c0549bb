#include "game/effects/LayerXml.h"

#include "game/effects/ComplexImage.h"

#include <tinyxml.h>

std::string LayerAttribute(TiXmlElement* element, const char* name)
{
    const char* value = element->Attribute(name);
    return value ? value : "";
}

std::string LowerLayerAttribute(TiXmlElement* element, const char* name)
{
    std::string value = LayerAttribute(element, name);
    for (char& c : value)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return value;
}

void ReadLayerPlacement(TiXmlElement* element, ComplexImage* layer)
{
    layer->mName = LayerAttribute(element, "name");
    element->QueryIntAttribute("x", &layer->mX);
    element->QueryIntAttribute("y", &layer->mY);
}
