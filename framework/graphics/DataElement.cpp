#include "framework/graphics/DataElement.h"

namespace Kivo {

ListDataElement::ListDataElement(const ListDataElement& other) : DataElement(other)
{
    for (DataElement* e : other.mElementVector)
        mElementVector.push_back(e->Duplicate());
}

ListDataElement& ListDataElement::operator=(const ListDataElement& other)
{
    if (this == &other)
        return *this;
    for (DataElement* e : mElementVector)
        delete e;
    mElementVector.clear();
    for (DataElement* e : other.mElementVector)
        mElementVector.push_back(e->Duplicate());
    return *this;
}

ListDataElement::~ListDataElement()
{
    for (DataElement* e : mElementVector)
        delete e;
}

} // namespace Kivo
