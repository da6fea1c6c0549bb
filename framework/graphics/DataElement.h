#pragma once
// The values of the description language: a single token, or a list of
// values that owns its items.
#include <string>
#include <vector>

namespace Kivo {

class DataElement {
public:
    DataElement() = default;
    DataElement(const DataElement&) = default;
    DataElement& operator=(const DataElement&) = default;
    virtual ~DataElement() = default;
    // A new deep copy; the caller owns it.
    virtual DataElement* Duplicate() = 0;

    bool mIsList = false;
};

class SingleDataElement : public DataElement {
public:
    SingleDataElement() = default;
    explicit SingleDataElement(const std::string& text) : mString(text) {}
    DataElement* Duplicate() override { return new SingleDataElement(*this); }

    std::string mString;
};

class ListDataElement : public DataElement {
public:
    ListDataElement() { mIsList = true; }
    ListDataElement(const ListDataElement& other);
    ListDataElement& operator=(const ListDataElement& other);
    ~ListDataElement() override;
    DataElement* Duplicate() override { return new ListDataElement(*this); }

    std::vector<DataElement*> mElementVector; // owned
};

} // namespace Kivo
