// Layer definitions from town item files: any bytes parsed as XML and loaded
// as a layer set, then measured, advanced and looked through.
#include "game/effects/LayerSet.h"

#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    TiXmlDocument doc;
    doc.Parse(text.c_str());
    LayerSet set;
    if (set.Load(doc.RootElement())) {
        set.Tick();
        set.Update(1.0f);
        for (int i = -1; i <= set.GetLayerCount(); ++i)
            if (ComplexImage* layer = set.GetLayer(i))
                set.FindLayer(layer->mName);
    }
    return 0;
}
