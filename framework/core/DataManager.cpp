#include "framework/core/DataManager.h"

namespace Kivo {

dataManager& GetDataManager()
{
    static dataManager instance;
    return instance;
}

} // namespace Kivo
