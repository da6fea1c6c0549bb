#pragma once
// The application the window tests run on: a 800 x 600 game area with its
// own widget manager, fixed update steps run by hand (a modal wait runs one
// per application step, after a hook), recorded cursor and screen-mode
// changes, and a sound manager that records what plays by resource id
// (sounds and voice lines alike). Sounds, blank pictures of the windows'
// sizes and a fixed-pitch font that records what it draws are registered
// by id without files; LoadDataSet loads the generated data set instead.
#include "framework/app/KivoAppBase.h"
#include "framework/core/PakInterface.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ResourceManager.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/Widget.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace wintest {

class RecordingSounds;

// 10 pixels a character, 20 high; every string drawn goes to `drawn`.
class RecordingFont : public Kivo::Font {
public:
    explicit RecordingFont(std::vector<std::string>* drawn) : mDrawn(drawn)
    {
        mAscent = 16;
        mHeight = 20;
    }
    int StringWidth(const std::string& text) override { return 10 * static_cast<int>(text.size()); }
    int CharWidth(char) override { return 10; }
    int CharWidthKern(char, char) override { return 10; }
    void DrawString(Kivo::Graphics*, int, int, const std::string& text, const Kivo::Color&, const Kivo::Rect&) override
    {
        mDrawn->push_back(text);
    }
    Kivo::Font* Duplicate() override { return new RecordingFont(*this); }

private:
    std::vector<std::string>* mDrawn;
};

// Stripes behind the windows, so that a window's shade shows in pictures.
class Backdrop : public Kivo::Widget {
public:
    Backdrop() { Resize(0, 0, 800, 600); }
    void Draw(Kivo::Graphics* g) override
    {
        for (int y = 0; y < 600; y += 40) {
            g->SetColorRGBA(40 + y / 8, 90, 60 + y / 10, 255);
            g->FillRect(0, y, 800, 40);
        }
    }
};

class Resources : public Kivo::ResourceManager {
public:
    using ResourceManager::ResourceManager;
    // A sound record under the id that plays as sound number `number`.
    void AddSound(const std::string& id, int number);
    void RemoveSound(const std::string& id);
    // Not owned.
    void AddImage(const std::string& id, Kivo::Image* image);
    // Owned.
    void AddFont(const std::string& id, Kivo::Font* font);
    // The resource id of every loaded sound, by number.
    std::map<int, std::string> SoundNames();
};

class WindowApp : public Kivo::KivoAppBase {
public:
    WindowApp();
    ~WindowApp() override;

    bool UpdateAppStep(bool* updated) override;
    void SetCursor(int cursorNum) override;
    bool Is3DAccelerated() override { return accelerated; }
    using KivoAppBase::SwitchScreenMode;
    void SwitchScreenMode(bool wantWindowed) override;

    // One update step as the main loop runs it.
    void Step();
    void Steps(int count);
    // Sounds and voice lines played since the last call, by resource id.
    std::vector<std::string> TakeSounds();
    // The images, fonts, sounds, texts, settings and tutorial scripts of the
    // generated data set; false when they cannot be read.
    bool LoadDataSet();
    // The window's instance in the widget manager, not yet shown modally,
    // with the sounds so far forgotten.
    template <class Window>
    Window* Open()
    {
        Window* window = Window::Instance();
        AddDialog(window);
        TakeSounds();
        return window;
    }
    // The screen drawn into an image of the game area.
    std::unique_ptr<Kivo::MemoryImage> DrawScreen();

    Resources* resources;
    RecordingSounds* sounds;
    std::function<void()> onStep;
    bool accelerated = false;
    std::vector<int> cursors;
    std::vector<bool> screenModes; // the wanted windowed flag of each switch
    int steps = 0;
    std::vector<std::string> drawnTexts; // by the recording fonts

private:
    std::vector<std::unique_ptr<Kivo::MemoryImage>> mImages;
    std::unique_ptr<PakInterface> mPaks;
    PakInterfaceBase* mPreviousPaks = nullptr;
};

} // namespace wintest
