#include "framework/widgets/WidgetHost.h"

namespace Kivo {

namespace {
WidgetHost* gWidgetHost = nullptr;
}

WidgetHost* GetWidgetHost() { return gWidgetHost; }

void SetWidgetHost(WidgetHost* host) { gWidgetHost = host; }

} // namespace Kivo
