#pragma once
// Game-play objects on boards painted from text, with a current profile in
// memory so that scores can be read back.
#include "framework/core/Paths.h"
#include "framework/core/Random.h"
#include "game/effects/GfxDelay.h"
#include "game/effects/GfxEnergizerFly.h"
#include "game/effects/GfxFastFlare.h"
#include "game/match/BrickBase.h"
#include "game/match/CellBase.h"
#include "game/play/GamePlayChain.h"
#include "game/play/GamePlayGroup.h"
#include "game/play/GamePlaySwap.h"
#include "game/profiles/ProfileManager.h"
#include "tests/support/CurrentProfile.h"
#include "tests/support/TickFrames.h"

#include <string>
#include <vector>

namespace playtest {

using testsupport::TickFrames;

// A profile in memory with no slot selected: nothing of a game is stored.
struct CurrentProfile : testsupport::CurrentProfile {
    CurrentProfile() : testsupport::CurrentProfile(true, -1) {}
};

// Effects of a kind in either list, those waiting behind a delay too.
template <class Effect>
int RunningEffects(const GamePlayGfx& play)
{
    int n = 0;
    for (const GfxManager* list : { &play.mBoardEffects, &play.mOverlayEffects })
        for (gfxBase* e : list->mEffects) {
            auto* delay = dynamic_cast<GfxDelay*>(e);
            n += dynamic_cast<Effect*>(delay ? delay->mNextEffect : e) != nullptr;
        }
    return n;
}

// Opens the protected state to the tests; the joker is a plain brick of
// code 11, as the brick factory makes none.
template <class Mode>
class Play : public Mode {
public:
    Play()
    {
        this->SetColors({ 1, 2, 3, 4, 5, 6 });
        this->SetPanels(&panels);
    }
    BrickBase* CreateBrick(int code) override
    {
        if (code != kBrickJoker)
            return GamePlayBase::CreateBrick(code);
        return new BrickBase(kBrickJoker);
    }
    // Rows of two characters per cell, row 0 first. First: '.' a gap, '-'
    // plain, 'o' breakable, 'O' breakable twice, 'S' key start, 'k' key way,
    // 'H' hole (these three on the way). Second: '1'..'9' a colour, 'J' the
    // joker, 'K' the key, '_' empty, 'c' chained once and 'C' twice (colour
    // 1), 'b' a box (colour 1), 'e' energized (colour 1). Missing cells are
    // gaps.
    void Paint(const std::vector<std::string>& rows)
    {
        int w = this->GetWidth();
        for (int y = 0; y < w; ++y)
            for (int x = 0; x < w; ++x) {
                this->SetCell(x, y, 0);
                this->PutBrick(0, x, y);
            }
        for (size_t y = 0; y < rows.size(); ++y)
            for (size_t i = 0; i + 1 < rows[y].size(); i += 3) {
                int x = static_cast<int>(i / 3), iy = static_cast<int>(y);
                char c = rows[y][i], b = rows[y][i + 1];
                if (c == '.')
                    continue;
                this->SetCell(x, iy, 1);
                uint32_t flags = c == 'o' ? 8 : c == 'O' ? 24 : c == 'S' ? 3 : c == 'k' ? 1 : c == 'H' ? 5 : 0;
                this->GetCell(x, iy)->mFlags = flags;
                int code = b == 'J' ? 11 : b == 'K' ? 12 : b == '_' ? 0 : (b >= '1' && b <= '9') ? b - '0' : 1;
                BrickBase* brick = this->PutBrick(code, x, iy);
                brick->SetFlag(b == 'c' ? 1 : b == 'C' ? 3 : b == 'b' ? 4 : b == 'e' ? 8 : 0);
            }
    }
    // Ticks until nothing moves, at most `limit`.
    int Settle(int limit = 2000)
    {
        int n = 0;
        do {
            this->Update();
            this->UpdateF(1.0f);
        } while (++n < limit && !this->IsSettled());
        return n;
    }
    void Run(int ticks)
    {
        for (int i = 0; i < ticks; ++i) {
            this->Update();
            this->UpdateF(1.0f);
        }
    }
    // Only the effect lists move: no falling, refill or match passes.
    void Effects(int ticks)
    {
        for (int i = 0; i < ticks; ++i) {
            this->UpdateGfxF(1.0f);
            this->UpdateGfx();
        }
    }
    template <class Effect>
    int Running() const
    {
        return RunningEffects<Effect>(*this);
    }
    static int Bricks() { return GetProfileInt("score_level_bricks"); }
    int Count(int code) const
    {
        int n = 0;
        for (int y = 0; y < this->GetWidth(); ++y)
            for (int x = 0; x < this->GetWidth(); ++x)
                n += this->IsCell(x, y) && this->GetBrickCode(x, y) == code;
        return n;
    }

    using GamePlayBase::mHitsLeft;
    using GamePlayBase::mTick;
    using GamePlayBase::mSelX;
    using GamePlayBase::mSelY;
    using GamePlayActions::mFieldChanged;
    using GamePlayDraw::mShake;
    LocalPlayPanels panels;
};

using Swap = Play<GamePlaySwap>;
using Group = Play<GamePlayGroup>;
using Chain = Play<GamePlayChain>;

// A full 10 x 10 board row of plain cells from a string of ten colour digits.
inline std::string Row(const std::string& colours)
{
    std::string row;
    for (char c : colours)
        row += std::string("-") + c + " ";
    return row;
}

} // namespace playtest
