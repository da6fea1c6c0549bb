#pragma once
// The board the game screen shows: the board background turned and scaled
// with the field, and the blackboard that slides down over the field.
#include "game/match/Board.h"

namespace Kivo {
class Image;
}

class BoardRender : public Board {
public:
    BoardRender();

    void DrawBoard(Kivo::Graphics* g) override;
    void DrawField(Kivo::Graphics* g) override;

private:
    // Half the cells image less half a pixel, from the widget's position.
    void Centre(float& cx, float& cy) const;

    Kivo::Image* mBackground;
    Kivo::Image* mCells;
    Kivo::Image* mBlackboardImage;
};
