#include "game/meta/HelpBook.h"

#include "framework/graphics/Graphics.h"
#include "game/meta/HelpPages.h"

#include <cmath>

HelpBook::HelpBook()
{
    mPages.push_back(std::make_unique<HelpListIntro>());
    mPages.push_back(std::make_unique<HelpListTips>());
    mPages.push_back(std::make_unique<HelpListCredits>());
}

HelpBook::~HelpBook() = default;

bool HelpBook::NextPage()
{
    const int page = TargetPage();
    if (page >= static_cast<int>(mPages.size()) - 1)
        return false;
    mPosition.SetTargetInt(page + 1);
    return true;
}

bool HelpBook::PrevPage()
{
    const int page = TargetPage();
    if (page <= 0)
        return false;
    mPosition.SetTargetInt(page - 1);
    return true;
}

void HelpBook::UpdateF(float dt)
{
    mPosition.Update(dt);
    mPages[static_cast<size_t>(TargetPage())]->UpdateF(dt);
}

HelpBook::Fade HelpBook::CurrentFade() const
{
    const float pos = mPosition.mCurrent;
    if (mPosition.mTarget > pos) {
        const int a = static_cast<int>(pos);
        return {a, a + 1, pos - static_cast<float>(a)};
    }
    const int a = static_cast<int>(std::ceil(pos));
    return {a, a - 1, static_cast<float>(a) - pos};
}

void HelpBook::Draw(Kivo::Graphics* g)
{
    g->PushState();
    if (!mPosition.IsMoving()) {
        mPages[static_cast<size_t>(TargetPage())]->Draw(g);
    } else {
        // The fade applies to pictures too, and within any fade of the
        // whole window.
        const Fade fade = CurrentFade();
        const float alpha = g->GetAlphaScale();
        g->SetColorizeImages(true);
        g->SetAlphaScale(alpha * (1 - fade.f));
        mPages[static_cast<size_t>(fade.a)]->Draw(g);
        g->SetAlphaScale(alpha * fade.f);
        mPages[static_cast<size_t>(fade.b)]->Draw(g);
    }
    g->PopState();
}
