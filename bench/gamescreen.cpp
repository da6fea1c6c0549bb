// The game screen's work per frame in the middle of a level: one update and
// one draw of the whole screen into an 800 x 600 image, with the real game
// play, the data set's level, images and fonts, while a player keeps making
// moves (so the effects of play run). Beside it, the floor of any frame: one
// full-screen background blit.
//
// With MARROWFEN_SHOTS=<folder> the program first writes what the screen
// shows in each mode in the middle of a level and at a level's end, as PNG.
#include "framework/app/KivoAppBase.h"
#include "framework/core/PakInterface.h"
#include "framework/core/Paths.h"
#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/resources/ResourceManager.h"
#include "game/match/BrickHelper.h"
#include "game/match/IGamePlay.h"
#include "game/play/GameScreen.h"
#include "game/play/GameScreenServices.h"
#include "game/profiles/ProfileManager.h"
#include "tests/game/play/LevelPlayer.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// No windows, music or voices: the screen's own work only.
class QuietServices : public GameScreenServices {
public:
    int ShowPause() override { return 0; }
    int ShowLevelCompleted1(int, int, int) override { return 0; }
    void PlayVoice(const std::string&) override {}
    void PlayLevelMusic(int) override {}
    void FadeOutMusic(float) override {}
    void FadeInMusic(float, bool) override {}
    bool IsHintShown(const std::string&) override { return true; }
    void SetHintShown(const std::string&) override {}
    void ResetHintWindow() override {}
    void AgeBuildingAnimations() override {}
    int BuiltBuildings() override { return 0; }
};

// The application with the data set's archives and the game's resources,
// a scratch profile, and the screen drawing into an image.
class Stage {
public:
    Stage()
    {
        app.width = 800;
        app.height = 600;
        const std::string data = playtest::DataFolder();
        previousPaks = SetActivePakInterface(&paks);
        paks.AddPakFile(data + "/main.pak");
        Kivo::ResourceManager* resources = app.resourceManager;
        resources->ParseResourcesFile("properties\\resources.xml");
        resources->ParseResourcesFileAllowRedefine("properties\\bricks.xml");
        resources->ParseResourcesFileAllowRedefine("properties\\lang_00\\fonts.xml");
        for (const char* group : {"Common", "Bricks", "Fonts"})
            resources->LoadResources(group);

        char pattern[] = "/tmp/gamescreen.XXXXXX";
        if (const char* dir = mkdtemp(pattern))
            folder = dir;
        Kivo::SetAppDataFolder(folder + "/");
        profiles = ProfileManager::Instance();
        profiles->profile = new Profile();
        profiles->slotIndex = 0;
        std::filesystem::create_directories(folder + "/profiles");

        image.Create(800, 600);
        manager()->SetMouseMapping(Kivo::Rect(0, 0, 800, 600), Kivo::Rect(0, 0, 800, 600));
        manager()->mScreenImage = &image;
    }
    ~Stage()
    {
        Close();
        manager()->mScreenImage = nullptr;
        profiles->slotIndex = -1;
        delete profiles;
        delete BrickHelper::Existing();
        Kivo::SetAppDataFolder("");
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        SetActivePakInterface(previousPaks);
    }

    Kivo::WidgetManager* manager() { return app.widgetManager; }

    void Open(int gameType)
    {
        Close();
        Kivo::SeedRandomInt(99 + static_cast<uint32_t>(gameType));
        ClearStoredGame();
        SetProfileInt("game_type", gameType);
        SetProfileInt("game_current_level", 0);
        SetProfileInt("progress_type", 1);
        screen = new GameScreen(nullptr, new QuietServices());
        manager()->AddWidget(screen);
        screen->OnEnter();
        player = std::make_unique<playtest::LevelPlayer>(screen, manager());
    }
    void Close()
    {
        if (!screen)
            return;
        player.reset();
        manager()->RemoveWidget(screen);
        delete screen;
        screen = nullptr;
    }
    // One update step of the main loop with the player's move.
    void Step()
    {
        player->Step();
        manager()->UpdateFrame();
        manager()->UpdateFrameF(1.0f);
    }
    void Draw()
    {
        screen->MarkDirty();
        manager()->DrawScreen();
    }
    // Plays until `moves` moves have been made or play has ended.
    void PlayMoves(int moves)
    {
        for (int tick = 0; tick < 100000 && moves > 0 && screen->mState == GameScreen::kPlay; ++tick) {
            moves -= player->Step() ? 1 : 0;
            manager()->UpdateFrame();
            manager()->UpdateFrameF(1.0f);
        }
    }

    Kivo::KivoAppBase app;
    PakInterface paks;
    PakInterfaceBase* previousPaks = nullptr;
    std::string folder;
    ProfileManager* profiles = nullptr;
    Kivo::MemoryImage image;
    GameScreen* screen = nullptr;
    std::unique_ptr<playtest::LevelPlayer> player;
};

Stage* gStage = nullptr;

void BM_GameScreenUpdateAndDraw(benchmark::State& state)
{
    Stage& stage = *gStage;
    stage.Open(static_cast<int>(state.range(0)));
    stage.PlayMoves(8);
    for (auto _ : state) {
        stage.Step();
        stage.Draw();
    }
    // Still in play: every step was a step of the level.
    state.counters["state"] = stage.screen->mState;
    state.counters["effects"] = stage.screen->mGamePlay ? stage.screen->mGamePlay->GetEffectCount() : -1;
    stage.Close();
}
// A level takes several thousand steps: the runs stay inside one.
BENCHMARK(BM_GameScreenUpdateAndDraw)->Arg(1)->Arg(2)->Arg(3)->Iterations(1000)->Unit(benchmark::kMicrosecond);

// The update alone: the level flow, the panels and the game play's tick.
void BM_GameScreenUpdateOnly(benchmark::State& state)
{
    Stage& stage = *gStage;
    stage.Open(1);
    stage.PlayMoves(8);
    const int before = stage.screen->Tick();
    for (auto _ : state)
        stage.Step();
    state.counters["ticks"] = stage.screen->Tick() - before;
    state.counters["state"] = stage.screen->mState;
    stage.Close();
}
BENCHMARK(BM_GameScreenUpdateOnly)->Iterations(1000)->Unit(benchmark::kMicrosecond);

// The floor of a frame: the background picture blitted once.
void BM_FullScreenBlit(benchmark::State& state)
{
    Kivo::Image* background = GetImageById("IMAGE_GAME_BACKGROUND_01");
    Kivo::Graphics g(&gStage->image);
    for (auto _ : state)
        g.DrawImage(background, 0, 0);
}
BENCHMARK(BM_FullScreenBlit)->Unit(benchmark::kMicrosecond);

void WritePng(Kivo::MemoryImage& image, const std::string& path)
{
    const uint32_t* bits = image.GetBits();
    if (!bits)
        return;
    ImageLib::Image out;
    const size_t count = size_t(image.mWidth) * size_t(image.mHeight);
    out.mWidth = image.mWidth;
    out.mHeight = image.mHeight;
    out.mBits = new uint32_t[count];
    for (size_t i = 0; i < count; ++i)
        out.mBits[i] = bits[i] | 0xFF000000u;
    ImageLib::WritePNGImage(path, &out);
}

void WriteShots(Stage& stage, const std::string& folder)
{
    std::filesystem::create_directories(folder);
    static const char* const kNames[] = {"", "swap", "group", "chain"};
    for (int type = 1; type <= 3; ++type) {
        stage.Open(type);
        stage.PlayMoves(6);
        for (int i = 0; i < 40; ++i)
            stage.Step();
        stage.Draw();
        WritePng(stage.image, folder + "/" + kNames[type] + "_mid_level.png");
        // On to the level's end: the blackboard comes down over the board.
        stage.PlayMoves(5000);
        for (int i = 0; i < 580 && stage.screen->mState != GameScreen::kPlay; ++i)
            stage.Step();
        stage.Draw();
        WritePng(stage.image, folder + "/" + kNames[type] + "_level_end.png");
        std::printf("%s: state %d, level %d, total %d\n", kNames[type], stage.screen->mState,
                    GetProfileInt("game_current_level"), GetProfileInt("score_total"));
    }
    stage.Close();
}

} // namespace

int main(int argc, char** argv)
{
    Stage stage;
    gStage = &stage;
    if (const char* shots = std::getenv("MARROWFEN_SHOTS"))
        WriteShots(stage, shots);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gStage = nullptr;
    return 0;
}
