#include "ResourceTestSupport.h"

#include "framework/core/Strings.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/sound/DSoundManager.h"
#include "platform/Backend.h"
#include "platform/dsound/DSound.h"
#include "platform/win32/Modules.h"
#include "tools/pakbuild/PakWriter.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace Kivo;

namespace restest {

std::vector<std::string> TestManager::GroupIds(const std::string& group)
{
    std::vector<std::string> ids;
    for (BaseRes* res : mResGroupMap[group])
        ids.push_back(res->mId);
    return ids;
}

TestApp::TestApp()
{
    EXPECT_TRUE(platform::UseBackend("headless"));
    platform::RegisterDirectSound();
    SetSoundHost(this);
    SetFontHost(this);
    SetResourceHost(this);
    // Any window will do for the headless device.
    sounds = std::make_unique<DSoundManager>(reinterpret_cast<HWND>(1), false);
    manager = std::make_unique<TestManager>(this);
}

TestApp::~TestApp()
{
    manager.reset();
    sounds.reset();
    for (auto& [key, entry] : mShared)
        delete entry.mImage;
    SetResourceHost(nullptr);
    SetFontHost(nullptr);
    SetSoundHost(nullptr);
}

SharedImageRef TestApp::GetSharedImage(const std::string& name, const std::string& variant, bool* created,
                                       uint32_t alphaColor)
{
    SharedImage* entry;
    bool inserted;
    {
        std::lock_guard lock(mMutex);
        auto [it, isNew] = mShared.try_emplace({ StringToUpper(name), StringToUpper(variant) });
        entry = &it->second;
        inserted = isNew;
        mCalls.push_back(StrFormat("GetSharedImage %s %06X", name.c_str(), alphaColor));
    }
    SharedImageRef ref(entry);
    if (created)
        *created = inserted;
    if (inserted) {
        std::unique_ptr<ImageLib::Image> file(ImageLib::GetImage(name, true, alphaColor));
        if (file) {
            auto* image = new MemoryImage();
            image->mFilePath = name;
            image->SetBits(file->mBits, file->mWidth, file->mHeight, false);
            entry->mImage = image;
        }
    }
    return ref;
}

MemoryImage* TestApp::GetImage(const std::string& path, bool commitBits)
{
    Log("GetImage " + path);
    std::unique_ptr<ImageLib::Image> file(ImageLib::GetImage(path, true));
    if (!file)
        return nullptr;
    auto* image = new MemoryImage();
    image->SetBits(file->mBits, file->mWidth, file->mHeight, commitBits);
    return image;
}

void TestApp::RequestDisplaySurface(MemoryImage* image) { Log("RequestDisplaySurface " + image->mFilePath); }
void TestApp::MirrorImageX(MemoryImage* image) { Log("MirrorImageX " + image->mFilePath); }
void TestApp::MirrorImageY(MemoryImage* image) { Log("MirrorImageY " + image->mFilePath); }
void TestApp::ShiftImageHue(MemoryImage* image, int shift)
{
    Log(StrFormat("ShiftImageHue %s %d", image->mFilePath.c_str(), shift));
}

int TestApp::GetFreeSoundId()
{
    return noFreeSoundIds ? -1 : sounds->GetFreeSoundId();
}

bool TestApp::LoadSound(int id, const std::string& path)
{
    Log(StrFormat("LoadSound %d %s", id, path.c_str()));
    return sounds->LoadSound(id, path);
}

void TestApp::SetBaseVolume(int id, double volume)
{
    Log(StrFormat("SetBaseVolume %d %g", id, volume));
    sounds->SetBaseVolume(id, volume);
}

void TestApp::SetBasePan(int id, int pan)
{
    Log(StrFormat("SetBasePan %d %d", id, pan));
    sounds->SetBasePan(id, pan);
}

void TestApp::ReleaseSound(int id)
{
    Log(StrFormat("ReleaseSound %d", id));
    sounds->ReleaseSound(id);
}

ResourceManager* TestApp::GetResourceManager()
{
    Log("GetResourceManager");
    return manager.get();
}

bool TestApp::IsMusicDisabled() { return musicDisabled; }
void TestApp::PlaySample(int id) { Log(StrFormat("PlaySample %d", id)); }
void TestApp::PlayPitchedSample(int id, double semitones, int pan)
{
    Log(StrFormat("PlayPitchedSample %d %g %d", id, semitones, pan));
}

std::string TestApp::GetAppString(const std::string& id)
{
    auto it = strings.find(id);
    return it == strings.end() ? std::string() : it->second;
}

Image* TestApp::CopyImage(Image* image)
{
    auto* copy = new MemoryImage();
    if (auto* m = dynamic_cast<MemoryImage*>(image))
        copy->SetBits(m->GetBits(), m->mWidth, m->mHeight);
    return copy;
}

HMODULE TestApp::GetDSoundModule() { return LoadLibraryA("dsound.dll"); }

void TestApp::Log(const std::string& call)
{
    std::lock_guard lock(mMutex);
    mCalls.push_back(call);
}

std::vector<std::string> TestApp::Calls()
{
    std::lock_guard lock(mMutex);
    return mCalls;
}

int TestApp::Count(const std::string& prefix)
{
    int n = 0;
    for (const std::string& call : Calls())
        n += call.rfind(prefix, 0) == 0;
    return n;
}

void TestApp::ClearCalls()
{
    std::lock_guard lock(mMutex);
    mCalls.clear();
}

std::string MakeTGA(int width, int height, const std::vector<uint32_t>& pixels)
{
    std::string s(18, '\0');
    s[2] = 2;
    s[12] = char(width & 0xFF);
    s[13] = char(width >> 8);
    s[14] = char(height & 0xFF);
    s[15] = char(height >> 8);
    s[16] = 32;
    s[17] = 0x28; // 8 alpha bits, rows stored top-down
    for (uint32_t p : pixels)
        for (int shift : { 0, 8, 16, 24 }) // B G R A
            s += char(p >> shift);
    return s;
}

std::string MakeWAV(int frames)
{
    auto le = [](uint32_t v, int bytes) {
        std::string s;
        for (int i = 0; i < bytes; ++i)
            s += char(v >> (8 * i));
        return s;
    };
    std::string fmt = le(1, 2) + le(1, 2) + le(22050, 4) + le(44100, 4) + le(2, 2) + le(16, 2);
    std::string data;
    for (int i = 0; i < frames; ++i)
        data += le(uint16_t(i * 300), 2);
    std::string chunks = "fmt " + le(16, 4) + fmt + "data" + le(uint32_t(data.size()), 4) + data;
    return "RIFF" + le(uint32_t(chunks.size() + 4), 4) + "WAVE" + chunks;
}

PakFixture::PakFixture(const std::vector<std::pair<std::string, std::string>>& files)
    : mOldCwd(std::filesystem::current_path()), mPrevious(nullptr)
{
    std::vector<pakbuild::PakEntry> entries;
    for (const auto& [name, data] : files)
        entries.push_back({ pakbuild::PakEntryName(name), data });
    std::string archive = mDir.Write("main.pak", pakbuild::BuildPak(entries));
    EXPECT_TRUE(mPak.AddPakFile(archive));
    mPrevious = SetActivePakInterface(&mPak);
    std::filesystem::current_path(mDir.Path());
}

PakFixture::~PakFixture()
{
    std::filesystem::current_path(mOldCwd);
    SetActivePakInterface(mPrevious);
}

} // namespace restest
