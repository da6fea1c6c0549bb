#pragma once
// The energizer bonus: a glowing missile that homes in on a random free
// brick, turning ever more sharply, and energises it on arrival. A target
// that stops qualifying on the way (or a turning board) makes it look for
// another; it gives up when none is found.
//
// The field pointer is kept raw: the effect lives in the game-play object's
// own effect lists, which die with the field.
#include "game/effects/PyroEmitter.h"
#include "game/effects/gfxBase.h"

class FieldBase;
class GamePlayMovement;

class GfxEnergizerFly : public gfxBase {
public:
    GfxEnergizerFly(int x, int y, FieldBase* field);

    // Picks a target and sets off; false when no brick qualifies. Called
    // again to pick a new target; only the first start plays the sound.
    bool start() override;
    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    // A selectable, free brick that is not busy and not yet energised.
    bool Qualifies(int x, int y) const;

    float mX;
    float mY;
    GamePlayMovement* mField;
    int mTargetX = -1;
    int mTargetY = -1;
    float mTargetScreenX = 0;
    float mTargetScreenY = 0;
    float mDirX = 0;
    float mDirY = -1;
    float mSpeed = 4.0f;
    float mTurnAllowance = 0;
    unsigned char mState = 0; // 0 flying, 1 arrived, 2 ending
    int mSteps = 0;
    PyroEmitter mEmitter{"energized_fly"};

private:
    bool ChooseTarget();
    // Looks for another target, or gives up.
    void Retarget();
};
