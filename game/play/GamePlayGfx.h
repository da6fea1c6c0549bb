#pragma once
// The presentation's bridge from the events of play to timed effects and
// sounds. Two effect lists: the board's (drawn first, and the one the
// no-moves check waits for) and the overlay's. The brick and cell states that
// show selection, highlight, glow, hints and waves are set here too.
#include "game/effects/GfxManager.h"
#include "game/match/FieldBase.h"
#include "game/match/IGamePlay.h"
#include "game/meta/GamePlaySound.h"

#include <string>

class baseCallback;
class gfxBase;
class LevelMap;

namespace Kivo {
class Image;
}

class GamePlayGfx : public virtual IGamePlay, public virtual FieldBase, public GamePlaySound {
public:
    GamePlayGfx() = default;
    ~GamePlayGfx() override;

    int GetEffectCount() const override;
    bool HasBoardEffects() const override;
    void DrawEffects(Kivo::Graphics* g) override;
    // Board-wide reactions: 0/1 hold and release every brick, 2..4 cell
    // visibility, 5/6 brick fades, 7 a wave, 10 a wait of `value` seconds.
    void DoEvent(int kind, float value) override;

    // Once per tick: both lists, then the sounds.
    void UpdateGfx();
    // Once per frame with the elapsed fraction of ticks.
    void UpdateGfxF(float dt);
    // Once per tick like PlaySound, through a fresh instance with the pitch
    // in semitones and the pan.
    void PlaySoundPitched(const std::string& id, int pitch, int pan);

    void AddEffect(gfxBase* effect);
    void AddOverlay(gfxBase* effect, bool atFront = false);
    // A wait that holds nothing behind it but counts as a running effect.
    void AddDelay(float seconds);
    void ShowFluids(int x1, int y1, int x2, int y2, baseCallback* callback);
    void ShowFlare(int x, int y, int targetX, int targetY, baseCallback* callback);
    void ShowExchange(int x1, int y1, int x2, int y2, baseCallback* callback);
    void ShowFlyChain(int x, int y, bool secondChain, float delay, baseCallback* callback);
    void ShowScore(int value, const char* textId);
    void ShowText(const std::string& text, int x, int y);
    void ShowNoMoves();

    void OnCellBroken(int x, int y, int level);
    void OnBrickDestroyed(int x, int y, int code);
    void OnEnergizedDestroyed(int x, int y, int code);
    void OnEnergyHit(int x, int y);
    void OnBoxBroken(int x, int y);
    void OnChainBroken(int x, int y, int level);
    void OnFlyDone(int x, int y);
    void OnBonusActivated(int px, int py);
    void OnBomb(int x, int y);
    void OnHint(int x, int y);
    void OnBigMatch(int x, int y);
    void OnBiggerMatch(int x, int y);
    void OnShuffle(int px, int py);
    void OnLightning(int px, int py);
    void OnLightningHit(int x, int y);
    void OnEnergizer(int px, int py, float delay);
    void OnRow(int x, int y);
    void OnMagnet(int x, int y);
    void OnMagnetEnd(int x, int y, float delay);
    void OnMagnetItem(Kivo::Image* image, float px, float py, float delay);
    void OnMagnetLine(float x1, float y1, float x2, float y2, float delay);
    void OnKeyAppear(int x, int y);
    void OnHoleAppear(int x, int y);
    void OnKeyDone(int x, int y);
    void OnBonusLevelCompleted(const LevelMap& map, int targetX, int targetY, baseCallback* callback);
    void OnLevelCompleted(const LevelMap& map, baseCallback* callback);

    // Brick states; cells outside the board are ignored.
    void SelectBrick(int x, int y);
    void UnselectBrick(int x, int y);
    void HighlightBrick(int x, int y);
    void GlowBrick(int x, int y, int n);
    void UnglowBrick(int x, int y);
    // A refused exchange: both bricks lunge at each other and return.
    void ShowWrongSwap(int x1, int y1, int x2, int y2);
    // Every brick lights up in turn; a negative pattern picks one of 0..3.
    void StartWave(int pattern);
    // When the brick at (x, y) of a w-wide board lights up in pattern 0..3.
    static float WaveTime(int pattern, int x, int y, int w);

    GfxManager mBoardEffects;
    GfxManager mOverlayEffects;

protected:
    bool OnBoard(int x, int y) const { return x >= 0 && y >= 0 && x < mWidth && y < mWidth; }
    static int CentreX(int x);
    static int CentreY(int y);
    // A particle burst by emitter name at a screen point, on the overlay list
    // unless `board`.
    void Emit(const char* name, int px, int py, bool board = false);
    void ExplodeImage(const char* imageId, int x, int y, bool atFront);
    // The text of a won level, bursting in over the board after a moment.
    void ShowLevelEndText(const char* textId);
};
