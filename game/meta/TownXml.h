#pragma once
// Reading the town's data files: the pak layer, then TinyXML. The files come
// from the archives and are not trusted.
#include <string>

class TiXmlDocument;

// False when the file is missing, not well-formed, or nested deeper than the
// town files ever need (the parser and the layer loader recurse).
bool ParseTownXml(const std::string& text, TiXmlDocument& doc);
bool LoadTownXmlFile(const std::string& name, TiXmlDocument& doc);
// The C library's atoi rule over an attribute; 0 when it is missing.
int TownIntAttribute(const class TiXmlElement* e, const char* name);
// The element's name is exactly this one, case included.
bool TownElementIs(const class TiXmlElement* e, const char* name);
// The first node of the document with this name, when it is an element.
class TiXmlElement* TownRootElement(TiXmlDocument& doc, const char* name);
