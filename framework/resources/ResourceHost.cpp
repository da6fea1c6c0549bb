#include "framework/resources/ResourceHost.h"

#include <atomic>

namespace Kivo {
namespace {

std::atomic<ResourceHost*> gHost{ nullptr };

} // namespace

ResourceHost* GetResourceHost() { return gHost.load(); }

void SetResourceHost(ResourceHost* host) { gHost.store(host); }

} // namespace Kivo
