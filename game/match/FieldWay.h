#pragma once
// The key's way on the board: a border along the outer edges of the key-path
// cells and the target cell (the hole) with an animated target image and a
// turning keyhole glow. Pieces and target follow the board while it turns.
#include <set>
#include <vector>

namespace Kivo {
class Graphics;
class Image;
}
class FieldBase;

class FieldWay {
public:
    // Side 1 the cell's top edge, 2 its left, 3 its right, 4 its bottom.
    struct BorderPiece {
        int cell;
        int x, y;
        int side;
        float offsetX, offsetY;
        bool shown;
    };

    FieldWay();

    void Clear();
    // Borders for the key-path cells of the field and its target at the
    // hole, shown when the level holds a key.
    void Build(const FieldBase& field, bool levelHasKey);
    void AddBorder(int x, int y, int cell, int side);
    void SetBorderShown(int cell, bool shown);
    void SetTarget(int x, int y);
    // False when there is no target or it lies off the board.
    bool GetTargetCell(int& x, int& y) const;
    void ShowTarget(bool on) { mTargetShown = on; }
    void StartFade(float delay);
    // Once the fade delay is over the alpha can only be lowered.
    void SetAlpha(float a);
    void SetTransform(float angle, float scale);
    void Update(float dt);
    void Tick();
    void DrawBorders(Kivo::Graphics& g);
    void DrawTarget(Kivo::Graphics& g);

    const std::vector<BorderPiece>& GetBorders() const { return mBorders; }
    float GetAlpha() const { return mAlpha; }
    bool IsTargetShown() const { return mTargetShown; }

private:
    // The offset that moves (x, y) to where it stands on the turned board.
    void TurnOffset(float x, float y, float& ox, float& oy) const;

    std::set<int> mCells;
    std::vector<BorderPiece> mBorders;
    Kivo::Image* mBorderImage;
    float mAngle = 0;
    float mScale = 1;
    float mAlpha = 1;
    Kivo::Image* mTargetImage;
    int mTargetFrame = 0;
    int mTick = 0;
    float mTargetX = -1;
    float mTargetY = -1;
    float mTargetOffsetX = 0;
    float mTargetOffsetY = 0;
    bool mTargetShown = false;
    float mPhase = 0;
    bool mFading = false;
    float mFadeDelay = 0;
};
