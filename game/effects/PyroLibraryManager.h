#pragma once
// The particle library, its graphics device and the particle files loaded
// into it. Files are kept by path; lookups walk them in path order, so a
// name found in two files comes from the path that sorts first.
// LoadFile may run on the loading thread (the device creates its textures
// as memory images there); everything else runs on the main thread.
#include "framework/core/Singleton.h"

#include <map>
#include <memory>
#include <string>

namespace PyroParticles {
class IPyroFile;
class IPyroFileIO;
class IPyroParticleEmitter;
class IPyroParticleLibrary;
class CGraphics_Kivo;
} // namespace PyroParticles

class PyroLibraryManager : public Singleton<PyroLibraryManager> {
public:
    PyroLibraryManager();
    ~PyroLibraryManager() override;

    // Reads the particle file at `path` through the pak layer; false (and
    // nothing stored) when it cannot be opened or read. Loading a path
    // again replaces the file loaded before from it.
    bool LoadFile(const std::string& path);
    // Reads from `reader` and stores the file under `path`.
    bool LoadFile(const std::string& path, PyroParticles::IPyroFileIO* reader);
    // A new instance of the emitter `name` (the caller owns it), or false.
    bool CreateEmitter(const std::string& name, PyroParticles::IPyroParticleEmitter** out);
    bool HasEmitter(const std::string& name);

    PyroParticles::CGraphics_Kivo* GetDevice() { return mDevice.get(); }
    PyroParticles::IPyroParticleLibrary* GetLibrary() { return mLibrary; }
    size_t FileCount() const { return mFiles.size(); }

    // Replaces the library (tests): the files loaded so far are closed and
    // the new library gets the device. Takes ownership; destroyed with
    // `destroy` when set, else deleted.
    void SetLibrary(PyroParticles::IPyroParticleLibrary* library,
                    void (*destroy)(PyroParticles::IPyroParticleLibrary*) = nullptr);

private:
    void CloseFiles();
    void DestroyLibrary();

    std::unique_ptr<PyroParticles::CGraphics_Kivo> mDevice;
    PyroParticles::IPyroParticleLibrary* mLibrary = nullptr;
    void (*mDestroyLibrary)(PyroParticles::IPyroParticleLibrary*) = nullptr;
    std::map<std::string, PyroParticles::IPyroFile*> mFiles; // owned
};

PyroLibraryManager* GetPyroLibraryManager();
