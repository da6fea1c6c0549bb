#pragma once
// Makes the objects of the field's slots from codes and kinds. Unknown codes
// give an empty brick, unknown kinds a gap.
#include <cstdint>

class BrickBase;
class CellBase;

// 1..10 a coloured brick, 12 the key, anything else an empty brick.
BrickBase* CreateBrick(int code);
// Kind 0 or 1 a drawn cell of that kind; anything else a plain gap.
CellBase* CreateCell(int kind, int x, int y);
