#include "game/effects/PyroLibraryManager.h"

#include "game/effects/CGraphics_Kivo.h"
#include "game/effects/PyroFileIO.h"

#include <exception>

using namespace PyroParticles;

PyroLibraryManager::PyroLibraryManager()
    : mDevice(std::make_unique<CGraphics_Kivo>()),
      mLibrary(CreateParticleLibrary(kPyroLibraryVersion)),
      mDestroyLibrary(DestroyParticleLibrary)
{
    if (mLibrary)
        mLibrary->SetDevice(mDevice.get());
}

PyroLibraryManager::~PyroLibraryManager()
{
    CloseFiles();
    DestroyLibrary();
}

void PyroLibraryManager::CloseFiles()
{
    for (auto& [path, file] : mFiles) {
        file->DestroyTextures();
        delete file;
    }
    mFiles.clear();
}

void PyroLibraryManager::DestroyLibrary()
{
    if (!mLibrary)
        return;
    if (mDestroyLibrary)
        mDestroyLibrary(mLibrary);
    else
        delete mLibrary;
    mLibrary = nullptr;
}

void PyroLibraryManager::SetLibrary(IPyroParticleLibrary* library, void (*destroy)(IPyroParticleLibrary*))
{
    CloseFiles();
    DestroyLibrary();
    mLibrary = library;
    mDestroyLibrary = destroy;
    if (mLibrary)
        mLibrary->SetDevice(mDevice.get());
}

bool PyroLibraryManager::LoadFile(const std::string& path)
{
    PyroFileIO reader(path);
    if (!reader.IsOpen())
        return false;
    return LoadFile(path, &reader);
}

bool PyroLibraryManager::LoadFile(const std::string& path, IPyroFileIO* reader)
{
    if (!mLibrary || !reader)
        return false;
    IPyroFile* file = nullptr;
    try {
        file = mLibrary->LoadFile(reader);
        if (!file)
            return false;
        file->CreateTextures();
    } catch (const std::exception&) {
        if (file) {
            file->DestroyTextures();
            delete file;
        }
        return false;
    }
    auto it = mFiles.find(path);
    if (it != mFiles.end()) {
        it->second->DestroyTextures();
        delete it->second;
        it->second = file;
    } else {
        mFiles.emplace(path, file);
    }
    return true;
}

bool PyroLibraryManager::CreateEmitter(const std::string& name, IPyroParticleEmitter** out)
{
    if (out)
        *out = nullptr;
    if (!mLibrary || !out)
        return false;
    for (auto& [path, file] : mFiles) {
        if (IPyroParticleEmitterDef* def = file->FindEmitter(name.c_str())) {
            *out = file->CreateInstance(def->Handle());
            return *out != nullptr;
        }
    }
    return false;
}

bool PyroLibraryManager::HasEmitter(const std::string& name)
{
    for (auto& [path, file] : mFiles)
        if (file->FindEmitter(name.c_str()))
            return true;
    return false;
}

PyroLibraryManager* GetPyroLibraryManager() { return PyroLibraryManager::Instance(); }
