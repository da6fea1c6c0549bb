// Reads arbitrary bytes as a hints file, then asks for every hint's bit.
#include "game/meta/HintsHelper.h"
#include "game/meta/HintsManager.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 16))
        return 0;
    HintsManager* hints = HintsManager::Instance();
    hints->LoadXml(std::string(reinterpret_cast<const char*>(data), size));
    HintsHelper* helper = HintsHelper::Instance();
    for (const auto& [id, hint] : hints->Hints()) {
        if (hint.index < 0 || hint.index >= hints->GetIndexBound())
            __builtin_trap();
        helper->SetHintShown(id);
        helper->IsHintShown(id);
    }
    helper->HasUnshownHints();
    return 0;
}
