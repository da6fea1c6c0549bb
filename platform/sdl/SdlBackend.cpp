#include "platform/sdl/SdlBackend.h"
#include "platform/sdl/SdlPresenter.h"

#include "platform/Backend.h"
#include "platform/sdl/SdlWindows.h"
#include "platform/win32/MessageBox.h"

#include "platform/StopSignal.h"

#include <SDL.h>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <dlfcn.h>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>

namespace platform {
namespace {

// The processes the thread whose children file this is has started and not
// yet reaped.
std::set<pid_t> Children(const std::string& childrenFile)
{
    std::set<pid_t> children;
    std::ifstream in(childrenFile);
    for (pid_t pid = 0; in >> pid;)
        children.insert(pid);
    return children;
}

// SDL shows a box from a child process (a fork under X11, a helper program
// under Wayland) and waits for it through any signal, so a stop would wait
// until someone answers. A watcher ends that child once a stop comes: the
// children this thread starts while the box is up are the box's.
bool ShowUntilStopped(const SDL_MessageBoxData& data, int& answer)
{
    const std::string childrenFile = "/proc/self/task/" + std::to_string(gettid()) + "/children";
    const std::set<pid_t> before = Children(childrenFile);
    std::mutex mutex;
    std::condition_variable wake;
    bool done = false;
    std::thread watcher([&] {
        std::unique_lock lock(mutex);
        while (!wake.wait_for(lock, std::chrono::milliseconds(50), [&] { return done; })) {
            if (StopSignal() == 0)
                continue;
            for (pid_t child : Children(childrenFile)) {
                if (!before.count(child))
                    kill(child, SIGKILL);
            }
        }
    });
    const bool shown = SDL_ShowMessageBox(&data, &answer) == 0;
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    wake.notify_one();
    watcher.join();
    return shown;
}

class SdlMessageBoxes final : public MessageBoxes {
public:
    int Show(const std::string& text, const std::string& caption, unsigned type, int defaultAnswer) override
    {
        int answers[3];
        int count = MessageBoxButtons(type, answers);
        static const char* const kLabels[] = { "", "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No" };
        SDL_MessageBoxButtonData buttons[3] {};
        for (int i = 0; i < count; ++i) {
            buttons[i].buttonid = answers[i];
            buttons[i].text = kLabels[answers[i]];
            if (answers[i] == defaultAnswer)
                buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
            if (answers[i] == IDCANCEL || answers[i] == IDNO || count == 1)
                buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        }
        Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
        switch (type & 0xF0) {
        case MB_ICONERROR:
            flags = SDL_MESSAGEBOX_ERROR;
            break;
        case MB_ICONWARNING:
            flags = SDL_MESSAGEBOX_WARNING;
            break;
        }
        SDL_MessageBoxData data { flags, nullptr, caption.c_str(), text.c_str(), count, buttons, nullptr };
        int answer = 0;
        const bool shown = ShowUntilStopped(data, answer);
        if (StopSignal() != 0)
            return MessageBoxStopAnswer(type);
        // No display to show it on: 0, and the text goes to stderr.
        return shown && answer > 0 ? answer : 0;
    }
};

// The ALSA library prints its own errors on stderr, eight lines when there
// is no sound card, before SDL gives up; the one line of Start says it all.
// SDL loads the same library by name later, so the handler set here holds.
void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

void QuietAlsa()
{
    static void* const library = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (!library)
        return;
    if (auto set = reinterpret_cast<int (*)(decltype(&IgnoreAlsaError))>(dlsym(library, "snd_lib_error_set_handler")))
        set(IgnoreAlsaError);
}

// 44.1 kHz 16-bit stereo from SDL's audio thread. Without a usable audio
// driver the device stays closed and sound goes nowhere.
class SdlAudioDevice final : public AudioDevice {
public:
    ~SdlAudioDevice() override
    {
        if (opener_.joinable())
            opener_.join();
        if (device_ != 0) {
            SDL_CloseAudioDevice(device_);
            std::lock_guard lock(SdlSubsystemLock());
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }

protected:
    // Opening the device may take a good part of a second (SDL tries its
    // drivers in turn, a sound server may be started), and nothing needs to
    // wait for it: it opens on a thread of its own, and the sources, mixed
    // only as the device asks for sound, start playing from their beginning
    // once it does.
    void Start() override
    {
        opener_ = std::thread([this] {
            Open();
            // SDL keeps its error text per thread; a thread it did not make
            // gives it back by hand.
            SDL_TLSCleanup();
        });
    }

private:
    void Open()
    {
        QuietAlsa();
        {
            std::lock_guard lock(SdlSubsystemLock());
            if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
                std::fprintf(stderr, "No sound device (%s): playing silently.\n", SDL_GetError());
                return;
            }
        }
        SDL_AudioSpec want {};
        want.freq = kRate;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = 1024;
        want.callback = [](void* self, Uint8* stream, int len) {
            static_cast<SdlAudioDevice*>(self)->Render(reinterpret_cast<int16_t*>(stream), size_t(len) / 4);
        };
        want.userdata = this;
        SDL_AudioSpec have {};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) {
            std::fprintf(stderr, "No sound device (%s): playing silently.\n", SDL_GetError());
            std::lock_guard lock(SdlSubsystemLock());
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return;
        }
        SDL_PauseAudioDevice(device_, 0);
    }

    std::thread opener_;
    SDL_AudioDeviceID device_ = 0;
};

class SdlBackend final : public Backend {
public:
    const char* Name() const override { return "sdl"; }
    Clock& GetClock() override { return SystemClock(); }
    MessageBoxes& GetMessageBoxes() override { return boxes_; }
    AudioDevice& GetAudio() override { return audio_; }
    WindowSystem& GetWindows() override { return *windows_; }
    Presenter& GetPresenter() override { return *presenter_; }

private:
    SdlMessageBoxes boxes_;
    SdlAudioDevice audio_;
    std::unique_ptr<WindowSystem> windows_ = MakeSdlWindows();
    // Goes before the windows it draws into.
    std::unique_ptr<Presenter> presenter_ = MakeSdlPresenter(*windows_);
};

} // namespace

void RegisterSdlBackend()
{
    RegisterBackend("sdl", [] { return std::unique_ptr<Backend>(new SdlBackend); });
}

} // namespace platform
