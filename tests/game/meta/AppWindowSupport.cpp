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

// The texts of the windows, each its own id.
const char* const kTextIds[] = {
    "window_levelcompleted_caption", "window_score_bricks", "window_score_bonus", "window_score_combo",
    "window_score_total", "window_levelcompleted_button_continue", "window_levelcompleted_button_playbonus",
    "window_score_bonus_game", "window_score_build_town", "window_pause_caption", "window_pause_button_close",
    "window_pause_button_help", "window_pause_button_menu", "options_label_music_volume",
    "options_label_sound_volume", "window_options_caption", "window_options_button_close",
    "options_label_fullscreen", "options_label_customcursor", "options_label_voice", "window_helppage_intro",
    "window_helppage_tips", "window_helppage_credits", "hb_intro_text1", "hb_intro_rule_swap",
    "hb_intro_rule_group", "hb_intro_rule_chain", "hb_tips_text1", "hb_tips_text2", "hb_tips_text3",
    "hb_tips_text4", "hb_tips_text5", "hb_tips_text6", "hb_tips_text7", "hb_tips_text8", "hb_tips_text9",
    "hb_olvane_annotation", "hb_olvane_site", "window_howtoplay_caption", "window_howtoplay_button_close",
    "window_howtoplay_caption_chain_mode", "window_howtoplay_caption_swap_mode",
    "window_howtoplay_caption_group_mode", "window_howtoplay_text_chain_mode", "window_howtoplay_text_swap_mode",
    "window_howtoplay_text_group_mode",
};

struct ImageSize {
    const char* id;
    int w, h;
};
const ImageSize kImages[] = {
    {"IMAGE_UI_WINDOW", 500, 520},          {"IMAGE_UI_WINDOW_HELP", 750, 560},
    {"IMAGE_UI_BUTTON", 160, 45},           {"IMAGE_UI_BUTTON_DOWN", 160, 45},
    {"IMAGE_UI_BUTTON_PANEL", 200, 44},     {"IMAGE_UI_BUTTON_PANEL_DOWN", 200, 44},
    {"IMAGE_UI_SLIDER_TRACK", 260, 20},     {"IMAGE_UI_SLIDER_THUMB", 20, 28},
    {"IMAGE_UI_CHECKBOX", 32, 32},          {"IMAGE_UI_CHECKBOX_CHECKED", 32, 32},
    {"IMAGE_UI_BUTTON_HELP_CLOSE", 80, 50}, {"IMAGE_UI_BUTTON_HELP_CLOSE_DOWN", 80, 50},
    {"IMAGE_UI_BUTTON_HELP_LEFT", 60, 50},  {"IMAGE_UI_BUTTON_HELP_LEFT_DOWN", 60, 50},
    {"IMAGE_UI_BUTTON_HELP_RIGHT", 60, 50}, {"IMAGE_UI_BUTTON_HELP_RIGHT_DOWN", 60, 50},
    {"IMAGE_UI_OLVANE_LOGO", 400, 150},
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

void Resources::RemoveSound(const std::string& id)
{
    auto it = mSoundMap.find(id);
    if (it == mSoundMap.end())
        return;
    mResGroupMap["Sounds"].remove(it->second);
    delete it->second;
    mSoundMap.erase(it);
}

void Resources::AddImage(const std::string& id, Kivo::Image* image)
{
    auto* res = new ImageRes;
    res->mId = id;
    res->mImage = image;
    mImageMap[id] = res;
}

void Resources::AddFont(const std::string& id, Kivo::Font* font)
{
    auto* res = new FontRes;
    res->mId = id;
    res->mFont = font;
    mFontMap[id] = res;
}

std::map<int, std::string> Resources::SoundNames()
{
    std::map<int, std::string> names;
    for (auto& [id, res] : mSoundMap)
        if (static_cast<SoundRes*>(res)->mSoundId >= 0)
            names[static_cast<SoundRes*>(res)->mSoundId] = id;
    return names;
}

WindowApp::WindowApp()
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
    int number = 0;
    for (const char* id : kSoundIds)
        resources->AddSound(id, number++);
    sounds->names = resources->SoundNames();
    for (const auto& [id, w, h] : kImages) {
        mImages.push_back(std::make_unique<Kivo::MemoryImage>());
        mImages.back()->Create(w, h);
        resources->AddImage(id, mImages.back().get());
    }
    for (const char* id : {"FONT_GOLD", "FONT_CAPTION", "FONT_BUTTON"})
        resources->AddFont(id, new RecordingFont(&drawnTexts));
    for (const char* id : kTextIds)
        SetString(id, std::wstring(id, id + std::char_traits<char>::length(id)));
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
    delete resources;
    resources = new Resources(&resourceHost);
    resourceManager = resources;
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
