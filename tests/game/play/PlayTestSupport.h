#pragma once
// The game screen under test: a recording game-play object, recording
// services (windows, sounds, music), a state manager that records switches,
// a current profile in a data folder of its own and level files on disk.
#include "framework/core/Buffer.h"
#include "framework/core/PakInterface.h"
#include "framework/core/Paths.h"
#include "game/match/BoardRender.h"
#include "game/match/IGamePlay.h"
#include "game/match/LevelFile.h"
#include "game/match/LevelMap.h"
#include "game/play/GameScreen.h"
#include "game/play/GameScreenServices.h"
#include "game/play/StoredGame.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/Callback.h"
#include "game/ui/GameStateManager.h"
#include "tests/support/CurrentProfile.h"
#include "tests/support/FakeApp.h"
#include "tests/support/ScopedCwd.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace playtest {

using Log = std::vector<std::string>;

inline bool Has(const Log& log, const std::string& entry)
{
    return std::find(log.begin(), log.end(), entry) != log.end();
}

inline int Count(const Log& log, const std::string& entry)
{
    return static_cast<int>(std::count(log.begin(), log.end(), entry));
}

// Keeps the board in the level file's orientation and its quarter turns
// apart, as the rules do: the field it reports is the file's map turned
// (4 - r) mod 4 times clockwise.
class FakeGamePlay : public IGamePlay {
public:
    FakeGamePlay(Log* log, int type) : mLog(log), mType(type) {}
    ~FakeGamePlay() override
    {
        mLog->push_back("delete " + std::to_string(mType));
        delete mLevelDone;
    }

    void SetColors(const std::vector<int>& colors) override { mColours = colors; }
    void GetColors(std::vector<int>& colors) const override { colors = mColours; }
    void PrepareLevelMap(LevelMap& map) override
    {
        mLog->push_back("PrepareLevelMap");
        // Placeholders become the level's colours, random bricks colour 1.
        for (int y = 0; y < map.GetHeight(); ++y)
            for (int x = 0; x < map.GetWidth(); ++x) {
                LevelMapCell c;
                map.GetCell(x, y, &c.code, &c.kind, &c.brickFlags, &c.cellFlags);
                if (c.code >= 250 && c.code <= 254) {
                    const size_t i = static_cast<size_t>(254 - c.code);
                    c.code = static_cast<uint8_t>(i < mColours.size() ? mColours[i] : 1);
                } else if (c.code == 0 || c.code == 255) {
                    c.code = static_cast<uint8_t>(mColours.empty() ? 1 : mColours.back());
                }
                map.SetCell(x, y, c.code, c.kind, c.brickFlags, c.cellFlags);
            }
    }
    void LoadLevelMap(const LevelMap& map) override
    {
        mLog->push_back("LoadLevelMap");
        mFile = map;
        mLoaded = true;
    }
    void StoreLevelMap(LevelMap& map) override
    {
        map = mFile;
        TurnMap(map, 4 - mRotation);
    }
    void BeginRotate(int quarters) override { mRotation = ((quarters % 4) + 4) % 4; }
    void Rotate(int quarters) override
    {
        mRotation = ((quarters % 4) + 4) % 4;
        mLog->push_back("Rotate " + std::to_string(mRotation));
    }
    bool IsRotating() const override { return false; }
    int GetRotation() const override { return mRotation; }

    void BoardEnter() override { mLog->push_back("BoardEnter"); }
    void BoardLeave() override { mLog->push_back("BoardLeave"); }
    void CellEnter(int x, int y) override { mLog->push_back(Call("CellEnter", {x, y})); }
    void CellLeave(int x, int y) override { mLog->push_back(Call("CellLeave", {x, y})); }
    void CellDown(int x, int y, int button) override { mLog->push_back(Call("CellDown", {x, y, button})); }
    void CellDrag(int x1, int y1, int x2, int y2) override { mLog->push_back(Call("CellDrag", {x1, y1, x2, y2})); }
    void BoardMouseUp() override { mLog->push_back("BoardMouseUp"); }
    void ResetInput(int, int, int flag) override { mLog->push_back("ResetInput " + std::to_string(flag)); }
    void ClearSelection() override {}

    bool HasSelection() const override { return false; }
    void SetLocked(bool locked) override { mLocked = locked; }
    bool IsLocked() const override { return mLocked; }
    void SetActive(bool active) override { mActive = active; }
    bool IsActive() const override { return mActive; }
    int GetMoveCount() const override { return 1; }
    int GetEffectCount() const override { return mEffects; }
    bool HasBoardEffects() const override { return mBoardEffects; }
    bool UseBonus(int kind, int x, int y) override
    {
        mLog->push_back(Call("UseBonus", {kind, x, y}));
        return true;
    }
    void DoEvent(int kind, float) override { mLog->push_back("DoEvent " + std::to_string(kind)); }
    void KeyDown(int key) override { mLog->push_back("KeyDown " + std::to_string(key)); }
    void Update() override
    {
        ++mUpdates;
        if (mOnUpdate)
            mOnUpdate();
    }
    void UpdateF(float) override {}
    void SetFieldAlpha(float) override {}
    void SetFieldOffset(float, float) override {}
    void DrawOverlay(Kivo::Graphics*) override {}
    void DrawField(Kivo::Graphics*) override {}
    void DrawEffects(Kivo::Graphics*) override {}
    int GetGameType() const override { return mType; }

    // The rules' report of a won level.
    void WinLevel()
    {
        baseCallback* call = mLevelDone;
        mLevelDone = nullptr;
        if (call) {
            call->Invoke();
            delete call;
        }
    }

    static std::string Call(const char* name, std::initializer_list<int> args)
    {
        std::string s = name;
        for (int a : args)
            s += " " + std::to_string(a);
        return s;
    }

    Log* mLog;
    int mType;
    std::vector<int> mColours;
    LevelMap mFile{10, 10};
    bool mLoaded = false;
    int mRotation = 0;
    bool mLocked = false;
    bool mActive = true;
    int mEffects = 0;
    bool mBoardEffects = false;
    int mUpdates = 0;
    // What the rules do in their update (open a hint, say).
    std::function<void()> mOnUpdate;
    baseCallback* mLevelDone = nullptr;
};

class RecordingServices : public GameScreenServices {
public:
    explicit RecordingServices(Log* log) : mLog(log) {}

    int ShowPause() override { return Record("window pause", mPauseResult); }
    void ShowHelp() override { mLog->push_back("window help"); }
    void ShowHowToPlay(int type) override { mLog->push_back("window howtoplay " + std::to_string(type)); }
    int ShowLevelCompleted1(int bricks, int bonus, int combo) override
    {
        return Record(FakeGamePlay::Call("window completed1", {bricks, bonus, combo}), mCompletedResult);
    }
    void ShowLevelCompleted2(int bricks, int bonus, int combo) override
    {
        mLog->push_back(FakeGamePlay::Call("window completed2", {bricks, bonus, combo}));
    }
    void ShowMessage(const std::string& text) override { mLog->push_back("window message " + text); }
    bool IsHintShown(const std::string& id) override { return mHintsShown || Has(*mLog, "hint shown " + id); }
    void SetHintShown(const std::string& id) override { mLog->push_back("hint shown " + id); }
    void ResetHintWindow() override {}
    void ShowHintAt(const std::string& id, int, int) override { mLog->push_back("hint " + id); }
    void AgeBuildingAnimations() override { mLog->push_back("age buildings"); }
    int BuiltBuildings() override { return 0; }
    void PlaySound(const std::string& id) override { mLog->push_back("sound " + id); }
    void PlayVoice(const std::string& id) override { mLog->push_back("voice " + id); }
    void PlayLevelMusic(int) override {}
    void FadeOutMusic(float) override {}
    void FadeInMusic(float, bool) override {}
    void ReloadSounds() override { mLog->push_back("reload sounds"); }
    bool CheatKeys() override { return mCheats; }
    std::string Text(const char* id) override { return id; }

    int Record(const std::string& entry, int result)
    {
        mLog->push_back(entry);
        return result;
    }

    Log* mLog;
    int mPauseResult = 0;
    int mCompletedResult = 0;
    bool mHintsShown = true;
    bool mCheats = false;
};

class RecordingStates : public GameStateListener {
public:
    explicit RecordingStates(Log* log) : mLog(log) {}
    void RegisterState(const std::string&, GameState*) override {}
    GameState* FindState(const std::string& name) override
    {
        mLog->push_back("find " + name);
        return nullptr;
    }
    bool ChangeState(GameState*) override
    {
        mLog->push_back("change state");
        return true;
    }
    bool PushState(GameState*) override
    {
        mLog->push_back("push state");
        return true;
    }
    void PopState() override {}
    void Quit() override {}
    Log* mLog;
};

class TestScreen : public GameScreen {
public:
    TestScreen(Log* log, RecordingStates* states, RecordingServices* services)
        : GameScreen(states, services), mLog(log)
    {
    }
    FakeGamePlay* Play() const { return static_cast<FakeGamePlay*>(mGamePlay); }

protected:
    IGamePlay* NewGamePlay(int type, baseCallback* levelDone) override
    {
        mLog->push_back("create " + std::to_string(type));
        auto* play = new FakeGamePlay(mLog, type);
        play->mLevelDone = levelDone;
        return play;
    }
    void GiveLevelDoneCall(IGamePlay* gamePlay, baseCallback* levelDone) override
    {
        auto* play = static_cast<FakeGamePlay*>(gamePlay);
        delete play->mLevelDone;
        play->mLevelDone = levelDone;
    }

    Log* mLog;
};

// A 10 x 10 level: every cell breakable, the first row holding the level's
// colours 1..5 (placeholders), the rest random bricks.
inline std::string LevelFileBytes()
{
    std::string bytes = {0, 10, 10};
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const char brick = y == 0 ? static_cast<char>(3 + x % 5) : 0;
            bytes += {2, brick, 0, 0};
        }
    return bytes;
}

class ScreenFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        data.Write("levels/level001.level", LevelFileBytes());
        previousPaks = SetActivePakInterface(nullptr);
        ForgetLevelFileCount();
        profile = std::make_unique<testsupport::CurrentProfile>();
        manager = profile->manager;
        SetProfileInt("game_type", 1);
        SetProfileInt("progress_type", 1);
    }
    void TearDown() override
    {
        DropScreen();
        profile.reset();
        ForgetLevelFileCount();
        SetActivePakInterface(previousPaks);
    }

    // Builds the screen, puts it on the widget manager and starts a visit.
    void Open()
    {
        services = new RecordingServices(&log);
        screen = new TestScreen(&log, &states, services);
        app.mManager.AddWidget(screen);
        screen->OnEnter();
    }
    void DropScreen()
    {
        if (!screen)
            return;
        // Running fades end and go.
        for (int i = 0; i < 300 && app.mManager.GetChildren().size() > 1; ++i)
            app.Step();
        app.mManager.RemoveWidget(screen);
        delete screen;
        screen = nullptr;
    }
    // Steps until the board has appeared and the bricks are in place.
    void Enter()
    {
        Open();
        app.Steps(400);
        services->mHintsShown = true;
    }
    FakeGamePlay* Play() { return screen->Play(); }
    void Steps(int n) { app.Steps(n); }

    FakeApp app;
    testsupport::TempDir data;
    testsupport::ScopedCwd cwd{data.Path()};
    PakInterfaceBase* previousPaks = nullptr;
    std::unique_ptr<testsupport::CurrentProfile> profile;
    ProfileManager* manager = nullptr;
    Log log;
    RecordingStates states{&log};
    RecordingServices* services = nullptr;
    TestScreen* screen = nullptr;
};

} // namespace playtest
