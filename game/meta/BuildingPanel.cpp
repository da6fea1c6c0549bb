#include "game/meta/BuildingPanel.h"

#include "framework/core/FastMath.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/meta/Town.h"

#include <cstdio>

BuildingPanel::BuildingPanel() : mBackground(GetImageById("IMAGE_UI_WINDOW_SMALL"))
{
    Resize(0, 0, mBackground ? mBackground->mWidth : 0, mBackground ? mBackground->mHeight : 0);
    mClip = false;
    mMouseVisible = false;
}

BuildingPanel::~BuildingPanel() = default;

void BuildingPanel::Move(int x, int y)
{
    mHomeY = y;
    Widget::Move(x, y);
}

void BuildingPanel::Show(bool show, bool animate)
{
    if (mAlpha.IsMoving() && animate) {
        mPendingVisibility = show ? 1 : -1;
        return;
    }
    mAlpha.SetTarget(show ? 1.0f : 0.0f);
    if (!animate)
        mAlpha.mCurrent = mAlpha.mTarget;
    mPendingVisibility = 0;
}

void BuildingPanel::SetBuilding(int building)
{
    if (mPendingVisibility != 0) {
        if (building != mBuilding) {
            mPendingBuilding = building;
            return;
        }
        mAlpha.SetTarget(mPendingVisibility > 0 ? 1.0f : 0.0f);
    }
    mPendingBuilding = -1;
    if (building >= 0) {
        mBuilding = building;
        mItem = Town::GetBuildingItem(building / Town::kBuildingsPerStage, building % Town::kBuildingsPerStage);
    }
}

void BuildingPanel::UpdateF(float fraction)
{
    mAlpha.Update(fraction);
    if (mPendingVisibility != 0 && !mAlpha.IsMoving()) {
        mAlpha.SetTarget(mPendingVisibility > 0 ? 1.0f : 0.0f);
        mPendingVisibility = 0;
        SetBuilding(mPendingBuilding);
    }
    Widget::Move(mX, mHomeY + static_cast<int>(20 * (1 - Kivo::CosInterpolate(0, 1, mAlpha.mCurrent))));
}

void BuildingPanel::Draw(Kivo::Graphics* g)
{
    if (mAlpha.mCurrent <= 0)
        return;
    g->PushState();
    g->SetAlphaScale(mAlpha.mCurrent);
    g->SetColorizeImages(true);
    g->SetColorRGBA(255, 255, 255, 255);
    if (mBackground)
        g->DrawImage(mBackground, 0, 0);
    Kivo::Font* font = GetFontById("FONT_GOLD");
    if (!font || !mItem) {
        g->PopState();
        return;
    }
    g->SetFont(font);
    const int middle = mWidth / 2;
    auto centred = [&](const std::string& text, int dx, int y, int r, int gr, int b) {
        g->SetColorRGBA(r, gr, b, 255);
        g->DrawString(text, middle - g->StringWidth(text) / 2 + dx, y);
    };
    centred(mItem->name, 1, 41, 128, 128, 128);
    centred(mItem->name, 0, 40, 128, 255, 255);

    g->PushState();
    g->SetScale(0.8f, 0.8f, static_cast<float>(middle), 50);
    g->SetColorRGBA(255, 255, 255, 255);
    const int height = g->GetWordWrappedHeight(mWidth, mItem->description, 23);
    g->WriteWordWrapped(Kivo::Rect(0, (100 - height) / 2 + 50, mWidth, height), mItem->description, 23, 0);
    g->PopState();

    // A built building has no price to meet: its cost stays white whatever
    // the funds are now.
    const bool shortOfFunds = !mItem->shown && !Town::CanAfford(mBuilding);
    if (mItem->shown)
        centred(GetStringById("upgrade_screen_label_you_got_it"), 0, 200, 100, 255, 50);
    else if (shortOfFunds)
        centred(GetStringById("upgrade_screen_label_funds_not_enough"), 0, 200, 255, 50, 0);

    int cost = 0;
    if (const TownStages::Building* b = Town::Instance()->stages->GetBuilding(mBuilding / Town::kBuildingsPerStage,
                                                                            mBuilding % Town::kBuildingsPerStage))
        cost = b->cost;
    char line[256];
    std::snprintf(line, sizeof line, "%s:  %d", GetStringById("upgrade_screen_label_cost").c_str(), cost);
    Kivo::Image* icon = GetImageById("IMAGE_UI_ICON_TOTAL");
    const int iconWidth = icon ? icon->GetCelWidth() + 6 : 0;
    const int left = middle - (g->StringWidth(line) + iconWidth) / 2;
    if (icon) {
        g->SetColorRGBA(255, 255, 255, 255);
        g->DrawImage(icon, left, 150 - font->GetAscent() / 2 - icon->GetCelHeight() / 2);
    }
    if (shortOfFunds)
        g->SetColorRGBA(255, 50, 50, 255);
    else
        g->SetColorRGBA(255, 255, 255, 255);
    g->DrawString(line, left + iconWidth, 150);
    g->PopState();
}
