#pragma once
// A field whose factories are the plain brick factory (random bricks are
// colour 1), and a brick listener that counts landings.
#include "game/match/BrickBase.h"
#include "game/match/BrickFactory.h"
#include "game/match/BrickListener.h"
#include "game/match/FieldBase.h"

#include <string>
#include <vector>

class TestField : public FieldBase {
public:
    // The brick factory makes no joker; a plain brick of code 11 stands in.
    BrickBase* CreateBrick(int code) override
    {
        return code == kBrickJoker ? new BrickBase(kBrickJoker) : ::CreateBrick(code);
    }
    BrickBase* CreateRandomBrick() override { return ::CreateBrick(1); }
};

class LandingLog : public BrickListener {
public:
    void BrickLanded(int x, int y) override { landings.push_back({ x, y }); }
    struct Point {
        int x, y;
    };
    std::vector<Point> landings;
};

// Lays out the board from rows of characters, row 0 first: '.' a gap, '1'..'9'
// a playable cell with that colour, 'J' with a joker, 'K' with the key, '_'
// a playable cell with an empty brick. Cells past the rows stay gaps.
inline void Paint(FieldBase& field, const std::vector<std::string>& rows)
{
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x) {
            char c = rows[y][x];
            int ix = static_cast<int>(x), iy = static_cast<int>(y);
            if (c == '.')
                continue;
            field.SetCell(ix, iy, 1);
            int code = c == 'J' ? 11 : c == 'K' ? 12 : c == '_' ? 0 : c - '0';
            field.SetBrick(ix, iy, code);
        }
}
