#pragma once
// What the game screen asks of the rest of the game: its windows, the hints,
// the town, sounds, voice lines, music and settings. The game's own answers
// are the defaults; tests give a recording double.
#include <string>

class GameScreenServices {
public:
    virtual ~GameScreenServices() = default;

    // Modal windows; each returns when the window has closed.
    // Pause: 1 back to the menu, 2 help, anything else play on.
    virtual int ShowPause();
    virtual void ShowHelp();
    virtual void ShowHowToPlay(int gameType);
    // 1 when the player takes the bonus game.
    virtual int ShowLevelCompleted1(int bricks, int bonus, int combo);
    virtual void ShowLevelCompleted2(int bricks, int bonus, int combo);
    virtual void ShowMessage(const std::string& text);

    virtual bool IsHintShown(const std::string& id);
    virtual void SetHintShown(const std::string& id);
    virtual void ResetHintWindow();
    // Shows a hint at a screen point and forgets that it was shown.
    virtual void ShowHintAt(const std::string& id, int x, int y);

    virtual void AgeBuildingAnimations();
    virtual int BuiltBuildings();

    virtual void PlaySound(const std::string& id);
    virtual void PlayVoice(const std::string& id);
    virtual void PlayLevelMusic(int level);
    virtual void FadeOutMusic(float speed);
    virtual void FadeInMusic(float speed, bool continuePlaying);
    virtual void ReloadSounds();

    virtual bool CheatKeys();
    // The application's text of an id.
    virtual std::string Text(const char* id);
};
