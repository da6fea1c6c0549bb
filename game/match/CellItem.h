#pragma once
// A drawn cell: its piece of the board image, the gap mark, a visibility
// fade and two highlights (a delayed pulse of the way and a light).
#include "framework/graphics/LiveValue.h"
#include "game/match/CellBase.h"

namespace Kivo {
class Image;
}

class CellItem : public CellBase {
public:
    CellItem(uint8_t kind, int x, int y);

    void Draw(Kivo::Graphics& g, float angle, float scale, float alpha) override;
    void Update(float dt) override;
    void Settle() override;
    void StartState(int id, float seconds) override;
    void SetState(int id) override;
    void StopState(int id) override;
    void ResetStates() override;

    float GetVisibility() const { return mVisibility.mCurrent; }

private:
    int mX;
    int mY;
    Kivo::Image* mCells = nullptr;
    Kivo::Image* mRect = nullptr;
    Kivo::Image* mHilightWay = nullptr;
    Kivo::Image* mHilight = nullptr;
    Kivo::LiveValue mVisibility { 1, 0.04f };
    bool mPulseOn = false;
    int mPulseDelay = 0;
    float mPulsePhase = 0;
    bool mLitOn = false;
    float mLit = 0;
};
