#include "framework/raster/WideKernels.h"

#include <atomic>

namespace Kivo {

namespace {

bool ProcessorHasAvx2()
{
#if defined(KIVO_WIDE_KERNELS)
    // May be asked while the program's constructors run, before the
    // run-time library has read the processor's features.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

std::atomic<bool>& WideSwitch()
{
    static std::atomic<bool> on { ProcessorHasAvx2() };
    return on;
}

} // namespace

bool WideKernels() { return WideSwitch().load(std::memory_order_relaxed); }

bool UseWideKernels(bool on)
{
    static const bool has = ProcessorHasAvx2();
    WideSwitch().store(on && has, std::memory_order_relaxed);
    return has;
}

} // namespace Kivo
