// From launch to the first title frame and to the menu being clickable (the
// loading thread handed over), for the real game application on the
// generated data set, headless. Reference: the same data set's archives read
// whole from disk.
#include "framework/core/PakInterface.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/ImageLib.h"
#include "game/app/GameApp.h"
#include "platform/Backend.h"
#include "platform/ddraw/DDraw.h"
#include "platform/dsound/DSound.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Registry.h"
#include "platform/win32/Shell.h"
#include "platform/win32/Window.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using Clock = std::chrono::steady_clock;

std::string DataDir()
{
    const char* dir = std::getenv("KIVO_DATA_DIR");
    return dir && *dir ? dir : KIVO_DATA_DIR;
}

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void Setup()
{
    platform::UseBackend("headless");
    platform::UseMemoryRegistry(true);
    platform::RegisterDirectSound();
    platform::RegisterShellLibraries();
    platform::RegisterModuleFunction(platform::kDDrawModule, "DirectDrawCreate", &DirectDrawCreate);
    platform::RegisterModuleFunction(platform::kDDrawModule, "DirectDrawCreateEx", &DirectDrawCreateEx);
    static const std::string dir = [] {
        const std::string d = std::filesystem::temp_directory_path() / "bench_startup";
        std::filesystem::create_directories(d);
        return d;
    }();
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    setenv("XDG_DATA_HOME", dir.c_str(), 1);
}

void BM_LaunchToTitleAndMenu(benchmark::State& state)
{
    Setup();
    const auto cwd = std::filesystem::current_path();
    double firstFrame = 0, menu = 0;
    for (auto _ : state) {
        platform::ResetWindows();
        PakInterface paks;
        PakInterfaceBase* previousActive = SetActivePakInterface(&paks);
        PakInterface* previous = gPakInterface;
        gPakInterface = &paks;
        const auto start = Clock::now();
        auto* app = new GameApp();
        app->programFolder = DataDir();
        app->windowedArg = true;
        Kivo::SetDisplayFactory([app] { return new Kivo::DDInterface(app); });
        app->Init();
        app->forceRedraw = true;
        app->Redraw(nullptr);
        const auto titleShown = Clock::now();
        app->StartLoadingThread();
        ShowWindow(app->hwnd, SW_SHOW);
        SetForegroundWindow(app->hwnd);
        while (!app->loadingHandedOver) {
            platform::HeadlessBackend::Current()->clock.AdvanceMillis(1);
            app->UpdateAppStep(nullptr);
        }
        const auto menuReady = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(menuReady - start).count());
        firstFrame += Ms(titleShown - start);
        menu += Ms(menuReady - start);
        state.PauseTiming();
        delete app;
        Kivo::SetDisplayFactory(nullptr);
        gPakInterface = previous;
        SetActivePakInterface(previousActive);
        std::filesystem::current_path(cwd);
        state.ResumeTiming();
    }
    state.counters["first_title_frame_ms"] = firstFrame / double(state.iterations());
    state.counters["menu_clickable_ms"] = menu / double(state.iterations());
}
BENCHMARK(BM_LaunchToTitleAndMenu)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ReadArchivesWhole(benchmark::State& state)
{
    size_t bytes = 0;
    for (auto _ : state) {
        for (const char* name : { "/main.pak", "/other.pak", "/voice.pak" }) {
            std::ifstream in(DataDir() + name, std::ios::binary);
            std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            bytes += data.size();
            benchmark::DoNotOptimize(data.data());
        }
    }
    state.SetBytesProcessed(int64_t(bytes));
}
BENCHMARK(BM_ReadArchivesWhole)->Unit(benchmark::kMillisecond);

// The title screen's images decoded from the data tree, as the first frame
// needs them; beside it the same files read whole.
void TitleImages(benchmark::State& state, bool decode)
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(DataDir() + "/tree/images/title"))
        if (entry.path().extension() == ".png")
            files.push_back(entry.path().string());
    size_t bytes = 0;
    for (auto _ : state) {
        for (const std::string& file : files) {
            if (decode) {
                std::unique_ptr<ImageLib::Image> image(ImageLib::GetImage(file, false));
                benchmark::DoNotOptimize(image->mBits);
                bytes += size_t(image->mWidth) * size_t(image->mHeight) * 4;
            } else {
                std::ifstream in(file, std::ios::binary);
                std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
                benchmark::DoNotOptimize(data.data());
            }
        }
    }
    state.SetBytesProcessed(int64_t(bytes));
}
BENCHMARK_CAPTURE(TitleImages, decode, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TitleImages, read_whole, false)->Unit(benchmark::kMillisecond);

} // namespace
