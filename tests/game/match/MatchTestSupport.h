#pragma once
// A field whose factories are the plain brick factory (random bricks are
// colour 1), and a brick listener that counts landings.
#include "game/match/BrickBase.h"
#include "game/match/BrickFactory.h"
#include "game/match/BrickListener.h"
#include "game/match/FieldBase.h"

#include <vector>

class TestField : public FieldBase {
public:
    BrickBase* CreateBrick(int code) override { return ::CreateBrick(code); }
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
