// The game application from start-up to the menu, on the generated data set.
#include "tests/game/app/GameRun.h"

#include "framework/app/DebugOverlay.h"
#include "framework/core/Paths.h"
#include "framework/graphics/ImageLib.h"
#include "framework/resources/ResourceManager.h"
#include "framework/sound/VoiceHelper.h"
#include "framework/widgets/WidgetManager.h"
#include "game/effects/ActionScriptManager.h"
#include "game/meta/MenuScreen.h"
#include "game/meta/WindowOptions.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/GameStateManager.h"
#include "platform/Paths.h"
#include "platform/win32/Messages.h"
#include "tests/support/WindowEvents.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

namespace {

using gametest::ExitCalled;
using gametest::GameRun;
using gametest::TestGameApp;

// The loading thread loads in real time while the loop's clock only moves
// when it sleeps: enough steps for a slow (sanitized) build to load the data.
constexpr int kLoaderSteps = 3000000;

GameState* TopState(GameApp* app)
{
    return app->stateManager && !app->stateManager->mStates.empty() ? app->stateManager->mStates.back() : nullptr;
}

// Start-up does everything the title screen needs at once and leaves the
// rest counted for the loading thread; a language without its file falls
// back to language 0.
TEST(GameStart, InitPreparesTheTitleAndCountsTheRestForTheLoader)
{
    GameRun run;
    TestGameApp* app = run.app;
    app->registryKey = "Olvane Studio\\Marrowfen";
    ASSERT_TRUE(app->RegistryWriteInteger("language_id", 3));
    app->Init();

    EXPECT_EQ(app->GetString("translation_file_language"), "properties/lang_00/texts.xml");
    EXPECT_FALSE(app->GetString("window_newprofile_havenopermission").empty());
    EXPECT_EQ(run.backend->windows.title, "Marrowfen v.1.02");
    EXPECT_EQ(run.backend->windows.iconWidth, 32);
    EXPECT_TRUE(app->AllowHighCharacters()); // names may hold the fonts' accented letters
    ASSERT_NE(app->titleScreen, nullptr);
    EXPECT_EQ(app->widgetManager->mFocusWidget, app->titleScreen);
    EXPECT_NE(app->stateManager, nullptr);
    EXPECT_TRUE(app->resourceManager->GetImage("IMAGE_LOAD_OLVANE"));
    EXPECT_TRUE(app->resourceManager->GetImage("IMAGE_LOAD_LINE_FORE"));

    EXPECT_FALSE(app->loadingStarted);
    EXPECT_EQ(app->loadingCount, 0);
    EXPECT_EQ(app->GetLoadingThreadProgress(), 0.0);
    int total = 0;
    for (const char* group : { "Common", "Fonts", "Town", "Bricks", "Labels", "Sounds" })
        total += app->resourceManager->GetNumResources(group);
    EXPECT_GT(app->resourceManager->GetNumResources("Sounds"), 0);
    EXPECT_EQ(app->loadingTotal, total);
}

// The whole way: the loader fills the groups while the title runs, the
// progress only rises and is 1 after the hand-over, the title waits for its
// picture, a click leads to the menu, and a close ends the run.
TEST(GameStart, LoadsOnTheThreadThenTheTitleLeadsToTheMenu)
{
    GameRun run;
    TestGameApp* app = run.app;
    app->Init();
    run.Begin();
    double last = 0;
    bool monotonic = true;
    ASSERT_TRUE(run.RunUntil([&] {
        const double p = app->GetLoadingThreadProgress();
        monotonic = monotonic && p >= last;
        last = p;
        return app->loadingHandedOver;
    }, kLoaderSteps)) << app->loadingCount << " of " << app->loadingTotal << " done " << app->loadingDone << " paused " << app->paused << " updates " << app->updateCount << " state " << app->loopState << " speed " << app->speed << " ss " << app->screenSaverSuspended << " acc " << app->timeAcc << " draws " << app->drawCount << " vs " << app->waitForVSync << " rate " << app->refreshRate;
    EXPECT_TRUE(monotonic);
    EXPECT_EQ(app->GetLoadingThreadProgress(), 1.0);
    EXPECT_EQ(app->loadingCount, app->loadingTotal);
    EXPECT_FALSE(app->loadingFailed);
    EXPECT_TRUE(app->resourceManager->GetImage("UI_MAIN_BACKGROUND"));
    ASSERT_NE(app->titleScreen, nullptr);
    EXPECT_EQ(app->titleScreen->mState, TitleScreen::STATE_LOADED);

    // A key skips the logo; once the picture has risen (taken as done here:
    // the title's own tests follow the rise) the title waits for a click.
    run.Key(VK_SHIFT);
    ASSERT_TRUE(run.RunUntil([&] { return !app->titleScreen->mLogos->IsRunning(); }));
    EXPECT_EQ(app->titleScreen->mState, TitleScreen::STATE_LOADED);
    app->titleScreen->mSceneRise.mCurrent = 1.0f;
    ASSERT_TRUE(run.RunUntil([&] { return app->titleScreen->mState == TitleScreen::STATE_WAITING; }));
    run.Click(400, 300);
    ASSERT_TRUE(run.RunUntil([&] { return TopState(app) != nullptr; }));
    EXPECT_EQ(app->titleScreen, nullptr);
    EXPECT_EQ(TopState(app), app->stateManager->FindState("MenuScreen"));
    EXPECT_FALSE(app->resourceManager->GetImage("IMAGE_LOAD_OLVANE"));
    EXPECT_EQ(app->stateManager->mRegistry.size(), 4u);

    // Play without a player asks for a name first; with it typed and
    // confirmed the profile exists and the game screen opens.
    run.Key(VK_RETURN);
    run.Type("anna");
    run.Key(VK_RETURN);
    ASSERT_TRUE(run.RunUntil([&] { return TopState(app) == app->stateManager->FindState("GameScreen"); }));
    ASSERT_TRUE(ProfileManager::Instance()->HasProfile());
    EXPECT_EQ(GetProfileString("user_name"), "ANNA");

    run.Close();
    ASSERT_TRUE(run.RunUntil([&] { return app->shutdown.load(); }));
}

// A group that fails on the loading thread: the main thread shows the
// resource manager's text as a fatal message and the application ends.
TEST(GameStart, ALoadFailureIsShownOnTheMainThreadAndEndsTheRun)
{
    GameRun run;
    TestGameApp* app = run.app;
    app->Init();
    run.dir.Write("broken.xml", "<ResourceManifest><Resources id=\"Labels\">"
                                "<Image id=\"IMAGE_BROKEN\" path=\"no_such_image\"/></Resources></ResourceManifest>");
    ASSERT_TRUE(app->resourceManager->ParseResourcesFile(run.dir.Path() + "/broken.xml"));
    run.backend->boxes.TakeShown();
    run.Begin();
    ASSERT_TRUE(run.RunUntil([&] { return app->shutdown.load(); }, kLoaderSteps));
    EXPECT_TRUE(app->loadingFailed);
    const auto shown = run.backend->boxes.TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "FATAL ERROR");
    EXPECT_NE(shown[0].text.find("no_such_image"), std::string::npos) << shown[0].text;
    EXPECT_LT(app->GetLoadingThreadProgress(), 1.0);
    app->WaitForLoadingThread();
    EXPECT_EQ(app->titleScreen->mState, TitleScreen::STATE_LOADING);
}

// The voice archive may be left out of a build: the game then starts and
// loads as usual but has no voice lines, its options window shows no voice
// box, and a voice asked for plays nothing.
TEST(GameStart, WithoutTheVoiceArchiveTheVoiceOptionIsGone)
{
    namespace fs = std::filesystem;
    testsupport::TempDir withoutVoices;
    for (const fs::directory_entry& entry : fs::directory_iterator(KIVO_DATA_DIR))
        if (entry.path().filename() != "voice.pak")
            fs::create_symlink(entry.path(), fs::path(withoutVoices.Path()) / entry.path().filename());
    for (const bool voices : { true, false }) {
        GameRun run(voices ? std::string(KIVO_DATA_DIR) : withoutVoices.Path());
        TestGameApp* app = run.app;
        app->Init();
        app->loadingStarted = true;
        app->LoadingThreadProc();
        app->loadingDone = true;
        EXPECT_FALSE(app->loadingFailed) << voices << ": " << app->LoadingError();
        EXPECT_TRUE(run.backend->boxes.TakeShown().empty()) << voices;
        EXPECT_GE(app->resourceManager->GetSoundId("SOUND_NO_MOVES"), 0) << voices;
        EXPECT_EQ(app->resourceManager->GetSoundId("VOICE_WARNING") >= 0, voices);
        auto* options = WindowOptions::Instance();
        EXPECT_EQ(options->mVoiceBoxShown, voices);
        delete options;
        if (!voices) {
            app->SetBoolean("voice_current", true);
            VoiceHelper::Instance()->PlayRandomVoice("VOICE_YEAH", 1, 5, 1.0f);
            EXPECT_FALSE(VoiceHelper::Instance()->IsVoicePlaying());
        }
        delete VoiceHelper::Existing();
    }
}

// other.pak may be missing: start-up goes on, and the first thing that only
// it held ends the run with that thing's own message.
TEST(GameStart, WithoutTheOtherArchiveWhatItHeldFailsWithItsOwnMessage)
{
    namespace fs = std::filesystem;
    testsupport::TempDir withoutOther;
    for (const fs::directory_entry& entry : fs::directory_iterator(KIVO_DATA_DIR))
        if (entry.path().filename() != "other.pak")
            fs::create_symlink(entry.path(), fs::path(withoutOther.Path()) / entry.path().filename());
    GameRun run(withoutOther.Path());
    TestGameApp* app = run.app;
    app->requireMainPak = true; // as the game: main.pak is there
    app->Init();
    EXPECT_TRUE(run.backend->boxes.TakeShown().empty());
    app->loadingStarted = true;
    app->LoadingThreadProc();
    app->loadingDone = true;
    EXPECT_TRUE(app->loadingFailed);
    app->Shutdown(); // as the main loop does on the failure
    const auto shown = run.backend->boxes.TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text.find("other.pak"), std::string::npos) << shown[0].text;
    EXPECT_NE(shown[0].text.find("sounds"), std::string::npos) << shown[0].text;
    EXPECT_EQ(app->exitCode, 0);
}

// A language file that names no texts, fonts or labels ends start-up.
TEST(GameStart, WithoutTheTranslationNamesStartUpEndsWithItsMessage)
{
    testsupport::TempDir folder;
    folder.Write("properties/translation_00.xml",
                 "<Properties><String id=\"translation_file_language\">x.xml</String></Properties>");
    GameRun run(folder.Path());
    try {
        run.app->Init();
        FAIL() << "start-up went on";
    } catch (const ExitCalled& exit) {
        EXPECT_EQ(exit.code, 0);
    }
    EXPECT_TRUE(run.app->loadingFailed);
    const auto shown = run.backend->boxes.TakeShown();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text, "Error while loading localization!");
}

// With a start level, loading completion skips the title's click: the
// stored games are cleared and the game screen opens.
TEST(GameStart, AStartLevelGoesStraightToTheGame)
{
    GameRun run;
    TestGameApp* app = run.app;
    app->Init();
    ProfileManager* profiles = ProfileManager::Instance();
    ASSERT_TRUE(profiles->CreateSlot(0));
    ASSERT_TRUE(profiles->SelectSlot(0));
    SetProfileInt("score_level_bricks", 7);
    app->SetInteger("set_start_level", 3);
    app->titleScreen->LoadingComplete();
    EXPECT_EQ(app->titleScreen, nullptr);
    EXPECT_EQ(TopState(app), app->stateManager->FindState("GameScreen"));
    EXPECT_EQ(GetProfileInt("score_level_bricks"), 0);
}

// F11 (once Ctrl+Alt+D has switched the debug keys on) saves the screen as
// the next numbered screenshot.
TEST(GameDebugKeys, F11SavesTheScreenAsTheNextScreenshot)
{
    GameRun run;
    TestGameApp* app = run.app;
    app->Init();
    const std::string folder = Kivo::GetAppDataFolder() + "_screenshots\\";
    run.dir.Write("Olvane Studio/Marrowfen/_screenshots/image2.png", "older");
    auto key = [&run](int code, bool down) { run.backend->windows.Push(testsupport::KeyEvent(code, down)); };
    app->showFps = true;
    app->forceRedraw = true;
    ASSERT_TRUE(app->Redraw(nullptr));
    key(VK_CONTROL, true);
    key(VK_MENU, true);
    key('D', true);
    key('D', false);
    key(VK_MENU, false);
    key(VK_CONTROL, false);
    key(VK_F11, true);
    key(VK_F11, false);
    ASSERT_TRUE(run.RunUntil([&] { return run.backend->windows.events.empty(); }, 1000));
    run.RunUntil([] { return false; }, 20);
    EXPECT_TRUE(app->debugKeysOn);
    std::unique_ptr<ImageLib::Image> png(ImageLib::GetImage(folder + "image3.png", false));
    ASSERT_TRUE(png);
    EXPECT_EQ(png->mWidth, 800);
    EXPECT_EQ(png->mHeight, 600);
}

} // namespace

namespace {

// Losing the focus pauses and shows the system arrow; regaining it resumes
// and hides the system cursor once the game draws its own.
TEST(GameFocus, PausesAndSwitchesTheCursor)
{
    GameRun run;
    GameApp* app = run.app;
    app->customCursorsOn = true;
    app->LostFocus();
    EXPECT_TRUE(app->paused);
    EXPECT_EQ(app->cursorNum, 0);
    app->GotFocus();
    EXPECT_FALSE(app->paused);
    EXPECT_EQ(app->cursorNum, 0); // still loading
    app->loadingDone = true;
    app->GotFocus();
    EXPECT_EQ(app->cursorNum, 11);
}

// The game's time, read by the action scripts, is the sum of the update
// fractions while frames are paced.
TEST(GameTime, AccumulatesTheFractionsForTheFrameTimer)
{
    GameRun run;
    GameApp* app = run.app;
    app->waitForVSync = true;
    app->UpdateFTimeAcc(1.5);
    app->UpdateFTimeAcc(0.25);
    EXPECT_DOUBLE_EQ(app->gameTimeAcc, 1.75);
    app->waitForVSync = false;
    app->UpdateFTimeAcc(1.0);
    EXPECT_DOUBLE_EQ(app->gameTimeAcc, 1.75);
}

} // namespace

namespace {

// A shutdown while the thread loads stops it after the resource in hand:
// nothing after the groups (scripts) is loaded, and the wait ends.
TEST(GameStart, AShutdownDuringLoadingStopsTheLoader)
{
    GameRun run;
    GameApp* app = run.app;
    app->Init();
    run.Begin();
    app->Shutdown();
    app->WaitForLoadingThread();
    EXPECT_TRUE(app->loadingDone);
    EXPECT_LT(app->loadingCount, app->loadingTotal);
    ActionScriptManager* scripts = ActionScriptManager::Existing();
    EXPECT_TRUE(!scripts || scripts->mScripts.empty());
}

} // namespace
