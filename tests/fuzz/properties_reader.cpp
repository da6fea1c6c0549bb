// Parses arbitrary bytes as a properties file into throwaway maps.
#include "framework/resources/PropertiesParser.h"

#include <cstddef>
#include <cstdint>

namespace {

struct Sink : Kivo::PropertiesTarget {
    void SetString(const std::string&, const std::wstring&) override { }
    void SetBoolean(const std::string&, bool) override { }
    void SetInteger(const std::string&, int) override { }
    void SetDouble(const std::string&, double) override { }
    void InsertStringList(const std::string&, const std::vector<std::wstring>&) override { }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Sink sink;
    Kivo::Buffer b;
    b.SetData(data, static_cast<int>(size));
    Kivo::PropertiesParser p(&sink);
    bool ok = p.ParsePropertiesBuffer(b);
    if (ok != p.GetErrorText().empty())
        __builtin_trap();
    return 0;
}
