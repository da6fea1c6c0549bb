#include "tests/game/meta/AppWindowSupport.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "framework/sound/VoiceHelper.h"
#include "game/effects/ActionScriptManager.h"

#include <vector>

namespace wintest {

namespace {

// Every sound the windows play.
const char* const kSoundIds[] = {
    "SOUND_WINDOW_SHOW", "SOUND_WINDOW_HIDE", "SOUND_WINDOW_DESK_HIDE", "SOUND_COUNTER_TICK",
    "SOUND_COUNTER_ALL_DONE", "SOUND_COUNTER_APPEAR", "SOUND_COUNTER_DRAW_LINE", "SOUND_COUNTER_ITEM_DONE",
    "SOUND_SFX_SLIDER", "SOUND_BUTTON_CHECKBOX", "SOUND_HELPPAGE_SCROLL", "SOUND_BUTTON_DOWN", "SOUND_BUTTON_ENTER",
    "VOICE_WELL_DONE", "VOICE_WARNING", "VOICE_YEAH1", "VOICE_YEAH2", "VOICE_YEAH3", "VOICE_YEAH4", "VOICE_YEAH5",
};

class RecordingInstance : public Kivo::SoundInstance {
public:
    RecordingInstance(RecordingSounds& owner, int id) : mOwner(owner), mId(id) {}
    void Release() override {}
    void SetBaseVolume(double) override {}
    void SetBasePan(int) override {}
    void AdjustPitch(double) override {}
    void SetVolume(double) override {}
    void SetPan(int) override {}
    bool Play(bool, bool) override;
    void Stop() override {}
    bool IsPlaying() override { return false; }
    bool IsReleased() override { return true; }
    double GetVolume() override { return 1.0; }

private:
    RecordingSounds& mOwner;
    int mId;
};

} // namespace

class RecordingSounds : public Kivo::SoundManager {
public:
    bool Initialized() override { return true; }
    int FindOrLoadSound(const std::string&) override { return GetFreeSoundId(); }
    bool LoadSound(unsigned int id, const std::string&) override
    {
        loaded.insert(loaded.end(), id);
        return true;
    }
    void ReleaseSound(unsigned int) override {}
    void SetVolume(double) override {}
    bool SetBaseVolume(unsigned int, double) override { return true; }
    bool SetBasePan(unsigned int, int) override { return true; }
    Kivo::SoundInstance* GetSoundInstance(unsigned int id) override
    {
        instances.push_back(std::make_unique<RecordingInstance>(*this, static_cast<int>(id)));
        return instances.back().get();
    }
    void ReleaseSounds() override {}
    void ReleaseChannels() override {}
    double GetMasterVolume() override { return 1.0; }
    void SetMasterVolume(double) override {}
    void Flush() override {}
    void SetCooperativeWindow(HWND, bool) override {}
    void StopAllSounds() override {}
    int GetFreeSoundId() override { return static_cast<int>(loaded.size()) + 1000; }
    int GetNumSounds() override { return static_cast<int>(loaded.size()); }

    std::vector<unsigned> loaded;
    std::vector<std::unique_ptr<RecordingInstance>> instances;
    std::map<int, std::string> names;
    std::vector<std::string> played;
};

bool RecordingInstance::Play(bool, bool)
{
    auto it = mOwner.names.find(mId);
    mOwner.played.push_back(it == mOwner.names.end() ? "#" + std::to_string(mId) : it->second);
    return true;
}

void Resources::AddSound(const std::string& id, int number)
{
    auto* res = new SoundRes(mApp);
    res->mId = id;
    res->mResGroup = "Sounds";
    res->mSoundId = number;
    mSoundMap[id] = res;
    mResGroupMap["Sounds"].push_back(res);
}

std::map<int, std::string> Resources::SoundNames()
{
    std::map<int, std::string> names;
    for (auto& [id, res] : mSoundMap)
        if (static_cast<SoundRes*>(res)->mSoundId >= 0)
            names[static_cast<SoundRes*>(res)->mSoundId] = id;
    return names;
}

WindowApp::WindowApp(bool withSounds)
{
    productName = "MarrowfenWindowTest";
    musicDisabled = false;
    autoStartLoadingThread = false;
    width = 800;
    height = 600;
    delete widgetManager;
    delete resourceManager;
    widgetManager = new Kivo::WidgetManager(this);
    widgetManager->SetMouseMapping(Kivo::Rect(0, 0, 800, 600), Kivo::Rect(0, 0, 800, 600));
    resources = new Resources(&resourceHost);
    resourceManager = resources;
    sounds = new RecordingSounds();
    soundManager = sounds;
    if (withSounds) {
        int number = 0;
        for (const char* id : kSoundIds)
            resources->AddSound(id, number++);
        sounds->names = resources->SoundNames();
    }
}

WindowApp::~WindowApp()
{
    for (auto& [id, dialog] : dialogMap) {
        widgetManager->RemoveWidget(dialog);
        delete dialog;
    }
    dialogMap.clear();
    dialogList.clear();
    safeDeleteList.Process(0);
    delete ActionScriptManager::Existing();
    // The voice line it holds belongs to this application's sound manager.
    delete VoiceHelper::Existing();
    if (mPaks)
        SetActivePakInterface(mPreviousPaks);
}

bool WindowApp::UpdateAppStep(bool* updated)
{
    if (updated)
        *updated = false;
    if (shutdown)
        return false;
    if (onStep)
        onStep();
    Step();
    if (updated)
        *updated = true;
    return true;
}

void WindowApp::SetCursor(int cursorNum)
{
    cursors.push_back(cursorNum);
}

void WindowApp::SwitchScreenMode(bool wantWindowed)
{
    screenModes.push_back(wantWindowed);
    windowed = forceFullscreen ? false : wantWindowed;
}

void WindowApp::Step()
{
    ++steps;
    ++updateCount;
    widgetManager->UpdateFrame();
    safeDeleteList.Process(nestDepth);
    widgetManager->UpdateFrameF(1.0f);
    safeDeleteList.Process(nestDepth);
}

void WindowApp::Steps(int count)
{
    for (int i = 0; i < count; ++i)
        Step();
}

std::vector<std::string> WindowApp::TakeSounds()
{
    std::vector<std::string> out;
    out.swap(sounds->played);
    return out;
}

bool WindowApp::LoadDataSet()
{
    mPaks = std::make_unique<PakInterface>();
    mPreviousPaks = SetActivePakInterface(mPaks.get());
    for (const char* pak : {"main.pak", "other.pak", "voice.pak"})
        if (!mPaks->AddPakFile(std::string(KIVO_DATA_DIR) + "/" + pak))
            return false;
    for (const char* manifest : {"properties\\resources.xml", "properties/bricks.xml", "properties/lang_00/fonts.xml",
                                 "properties/sounds.xml", "properties/voice.xml"})
        if (!resources->ParseResourcesFileAllowRedefine(manifest))
            return false;
    for (const char* group : {"General", "Common", "Fonts", "Bricks", "Sounds"})
        if (!resources->LoadResources(group))
            return false;
    sounds->names = resources->SoundNames();
    for (const char* file : {"properties/lang_00/texts.xml", "properties/gamesets.xml"})
        if (!LoadProperties(file, true, false))
            return false;
    for (const char* name : {"demo_gameplaychain", "demo_gameplayswap", "demo_gameplaygroup"})
        ActionScriptManager::Instance()->LoadScript(std::string("properties\\tutorial\\") + name + ".xml", name);
    return true;
}

std::unique_ptr<Kivo::MemoryImage> WindowApp::DrawScreen()
{
    auto screen = std::make_unique<Kivo::MemoryImage>();
    screen->Create(800, 600);
    widgetManager->mScreenImage = screen.get();
    widgetManager->MarkAllDirty();
    widgetManager->DrawScreen();
    widgetManager->mScreenImage = nullptr;
    return screen;
}

} // namespace wintest
