#pragma once
// The effects the game screen and its panels start, made in one place: the
// particle emitters by name, the board and bricks entrances, the mode title,
// the flare that carries a won extra bonus to its slot and the cell-by-cell
// mode switch. Each takes the stored call to run when it has ended (owned).
#include <string>

class baseCallback;
class gfxBase;
class GfxManager;
class LevelMap;

// A particle emitter at (x, y); it ends by itself.
void AddEmitter(GfxManager& effects, const char* name, float x, float y);
gfxBase* NewBoardAppear(baseCallback* done);
// The bricks of `map` (copied) fall into place.
gfxBase* NewBricksAppear(const LevelMap& map, baseCallback* done);
// A swirling title centred at (x, y).
gfxBase* NewSwirlText(const std::string& text, int x, int y);
// A flare flying from one point to another.
gfxBase* NewFlare(float fromX, float fromY, float toX, float toY, baseCallback* done);
// Every cell turns from its old brick to its new one.
gfxBase* NewModeSwitch(const LevelMap& oldMap, const LevelMap& newMap, baseCallback* done);
