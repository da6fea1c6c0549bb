#include "game/effects/GfxBoardAppear.h"

#include "framework/core/FastMath.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Transform.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/match/Grid.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/Callback.h"

namespace {

struct BoardImages {
    Kivo::Image* mBackground = GetImageById("IMAGE_BOARD_BACKGROUND");
    Kivo::Image* mCells = GetImageById("IMAGE_BOARD_CELLS");
    Kivo::Image* mFrame = GetImageById("IMAGE_FIELD_FRAME");
    Kivo::Image* mNoTime = GetImageById("IMAGE_FIELD_NO_TIME_PANEL");
};

} // namespace

GfxBoardAppear::GfxBoardAppear(baseCallback* callback) : mCallback(callback) {}

GfxBoardAppear::~GfxBoardAppear() { delete mCallback; }

bool GfxBoardAppear::start()
{
    mAlpha.SetTarget(1.0f);
    mAlpha.mSpeed = 0.01f;
    PlaySoundById("SOUND_BOARD_APPEAR");
    mRelaxed = GetProfileInt("progress_type") == 2;
    return true;
}

void GfxBoardAppear::update(float frac)
{
    mAlpha.Update(frac);
    mScale = Kivo::CosInterpolate(2.0f, 1.0f, mAlpha.mCurrent);
}

int GfxBoardAppear::process()
{
    if (mAlpha.IsMoving())
        return 0;
    InvokeOnce(mCallback);
    return -1;
}

void GfxBoardAppear::draw(Kivo::Graphics* g)
{
    const BoardImages images;
    const Grid* grid = Grid::Instance();
    const float originX = static_cast<float>(grid->GetOriginX());
    const float originY = static_cast<float>(grid->GetOriginY());
    const int cellsWidth = images.mCells ? images.mCells->GetWidth() : 0;
    const int cellsHeight = images.mCells ? images.mCells->GetHeight() : 0;
    const float centreX = originX + static_cast<float>(cellsWidth / 2);
    const float centreY = originY + static_cast<float>(cellsHeight / 2);
    g->PushState();
    g->SetColorizeImages(true);
    g->SetColorRGBA(255, 255, 255, static_cast<int>(mAlpha.mCurrent * 255));
    if (images.mBackground) {
        Kivo::Transform t;
        t.Scale(mScale, mScale);
        t.Translate(centreX, centreY);
        g->DrawImageTransform(images.mBackground, t, 0, 0);
    }
    if (images.mFrame) {
        Kivo::Transform t;
        t.Scale(mScale, mScale);
        t.Translate(originX + static_cast<float>(images.mFrame->GetWidth()) * 0.5f - 117,
                    originY + static_cast<float>(images.mFrame->GetHeight()) * 0.5f - 40);
        g->DrawImageTransformF(images.mFrame, t, -0.5f, -0.5f);
    }
    if (mRelaxed && images.mNoTime) {
        const float panelWidth = static_cast<float>(images.mNoTime->GetWidth());
        const float panelHeight = static_cast<float>(images.mNoTime->GetHeight());
        // The panel's place relative to the board, scaled with the board.
        Kivo::Transform t;
        t.Translate(-static_cast<float>(cellsWidth) / 2 - panelWidth / 2 - 5 + 361,
                    -static_cast<float>(cellsHeight) / 2 - panelHeight / 2 + 7 - 2);
        t.Scale(mScale, mScale);
        t.Translate(centreX, centreY);
        g->DrawImageTransformF(images.mNoTime, t, -0.5f, -0.5f);
    }
    g->PopState();
}
