#include "game/match/BrickFactory.h"

#include "game/match/BrickColored.h"
#include "game/match/BrickKey.h"
#include "game/match/CellItem.h"

BrickBase* CreateBrick(int code)
{
    if (code >= 1 && code <= 10)
        return new BrickColored(static_cast<uint8_t>(code));
    if (code == kBrickKey)
        return new BrickKey();
    return new BrickBase(0);
}

CellBase* CreateCell(int kind, int x, int y)
{
    if (kind == 0 || kind == 1)
        return new CellItem(static_cast<uint8_t>(kind), x, y);
    return new CellBase(0);
}
