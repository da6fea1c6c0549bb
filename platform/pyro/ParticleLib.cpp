#include "platform/pyro/PyroParticles.h"

namespace PyroParticles {

namespace {
class ParticleLib : public IPyroParticleLibrary {
public:
    IPyroFile* LoadFile(IPyroFileIO*) override { throw PyroException("particle files are not readable yet"); }
    void SetDevice(PyroGraphics::IDevice* device) override { mDevice = device; }
    PyroGraphics::IDevice* mDevice = nullptr;
};
} // namespace

IPyroParticleLibrary* CreateParticleLibrary(uint32_t version)
{
    return version == kPyroLibraryVersion ? new ParticleLib : nullptr;
}

void DestroyParticleLibrary(IPyroParticleLibrary* library) { delete library; }

} // namespace PyroParticles
