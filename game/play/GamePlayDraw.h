#pragma once
// The presentation's drawing part: the cells and bricks of the field with
// the field's alpha, its turn and scale while the board turns, and a screen
// shake; it owns the key's way overlay and the way's step counts.
#include "framework/core/Random.h"
#include "game/match/FieldBase.h"
#include "game/match/FieldWay.h"
#include "game/match/IGamePlay.h"

#include <map>

class GamePlayDraw : public virtual IGamePlay, public virtual FieldBase {
public:
    void SetFieldAlpha(float alpha) override;
    void SetFieldOffset(float angle, float scale) override;
    // The way's borders, then every cell.
    void DrawOverlay(Kivo::Graphics* g) override;
    // Kind 8 shakes the screen.
    void DoEvent(int kind, float value) override;

    // The way's target, then every brick, turned with the board.
    void DrawFieldBase(Kivo::Graphics* g);
    // Adds to the shake; it never exceeds 1.
    void ShakeField(float amount);
    // Once per tick: the shake dies down by 0.05.
    void UpdateShake();
    float GetShake() const { return mShake; }

    // Pulses every cell of the way, each after its step count tenths of a
    // second.
    void HighlightWay();
    // Lights the way's cells or puts them out.
    void ShowWay(bool on);

    FieldWay mWay;
    // The way's cells by their slots' index words (which travel with a
    // turn of the board) with their steps from the key's start.
    std::map<int, int> mWaySteps;
    float mFieldAlpha = 1;
    float mFieldAngle = 0;
    float mFieldScale = 1;

protected:
    // Draws a shake offset when shaking and stores it on the grid.
    bool BeginShake(Kivo::Graphics* g, int& dx, int& dy);

    float mShake = 0;
    // The shake's offsets are cosmetic: they come from a generator of their
    // own so that frame pacing never moves the game's random sequence.
    Kivo::MTRand mShakeRandom { 1 };
};
