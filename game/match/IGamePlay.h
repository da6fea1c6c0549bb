#pragma once
// The game screen's only view of the rules engine of one level. The order of
// the operations is fixed; the input operations have empty default bodies.
#include <vector>

class LevelMap;

namespace Kivo {
class Graphics;
}

class IGamePlay {
public:
    virtual ~IGamePlay() = default;

    // Replaces / copies out the level's colour vector.
    virtual void SetColors(const std::vector<int>& colors) = 0;
    virtual void GetColors(std::vector<int>& colors) const = 0;
    // Resolves the level's colour codes before loading.
    virtual void PrepareLevelMap(LevelMap& map) = 0;
    // Builds the field from a level map.
    virtual void LoadLevelMap(const LevelMap& map) = 0;
    // Writes the current field into `map`: grid size, then per cell brick
    // code, cell kind, brick flags and cell flags.
    virtual void StoreLevelMap(LevelMap& map) = 0;

    // Starts a turn from the board's quarter count before it.
    virtual void BeginRotate(int quarters) = 0;
    // Ends the turn: the field turns to the given quarter count.
    virtual void Rotate(int quarters) = 0;
    virtual bool IsRotating() const = 0;
    // The orientation in 0..3.
    virtual int GetRotation() const = 0;

    // Pointer events of the board widget, in cell coordinates.
    virtual void BoardEnter() {}
    virtual void BoardLeave() {}
    virtual void CellEnter(int /*x*/, int /*y*/) {}
    virtual void CellLeave(int /*x*/, int /*y*/) {}
    // button: 0 left, 1 right, 2 middle.
    virtual void CellDown(int /*x*/, int /*y*/, int /*button*/) {}
    virtual void CellDrag(int /*x1*/, int /*y1*/, int /*x2*/, int /*y2*/) {}
    virtual void BoardMouseUp() {}
    // Clears the selection; with flag 1 also cancels an armed bonus.
    virtual void ResetInput(int /*x*/, int /*y*/, int /*flag*/) {}
    virtual void ClearSelection() {}

    virtual bool HasSelection() const = 0;
    // Locking cancels an armed bonus.
    virtual void SetLocked(bool locked) = 0;
    virtual bool IsLocked() const = 0;
    // Deactivating cancels an armed bonus.
    virtual void SetActive(bool active) = 0;
    virtual bool IsActive() const = 0;
    virtual int GetMoveCount() const = 0;
    // Effects of play still running; the game screen waits for 0.
    virtual int GetEffectCount() const = 0;
    virtual bool HasBoardEffects() const = 0;
    virtual bool UseBonus(int kind, int x, int y) = 0;
    virtual void DoEvent(int kind, float value) = 0;
    // Debug keys.
    virtual void KeyDown(int key) = 0;
    // One tick of play.
    virtual void Update() = 0;
    virtual void UpdateF(float dt) = 0;
    virtual void SetFieldAlpha(float alpha) = 0;
    // The field's turn and scale while the board turns.
    virtual void SetFieldOffset(float angle, float scale) = 0;
    virtual void DrawOverlay(Kivo::Graphics* g) = 0;
    virtual void DrawField(Kivo::Graphics* g) = 0;
    virtual void DrawEffects(Kivo::Graphics* g) = 0;
    // 1 swap, 2 group, 3 chain.
    virtual int GetGameType() const = 0;
    // The last slot of the table; it does nothing.
    virtual void Reserved() {}
};
