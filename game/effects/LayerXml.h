#pragma once
// Attribute reading shared by the layer classes.
#include <string>

class ComplexImage;
class TiXmlElement;

// The attribute's text, empty when missing.
std::string LayerAttribute(TiXmlElement* element, const char* name);
std::string LowerLayerAttribute(TiXmlElement* element, const char* name);
// "name", "x" and "y"; missing ints keep their values.
void ReadLayerPlacement(TiXmlElement* element, ComplexImage* layer);
