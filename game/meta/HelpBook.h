#pragma once
// The help window's pages and the current one: a page turn moves the page
// position towards the new page at 0.08 pages per update, and the pages
// passed cross-fade into each other meanwhile.
#include "framework/graphics/LiveValue.h"

#include <memory>
#include <vector>

namespace Kivo {
class Graphics;
}
class HelpListBase;

class HelpBook {
public:
    static constexpr float kTurnSpeed = 0.08f;

    HelpBook(); // intro, tips, credits
    ~HelpBook();

    // False at the last (first) page.
    bool NextPage();
    bool PrevPage();
    // The page turned to, or being turned to.
    int TargetPage() const { return static_cast<int>(mPosition.mTarget); }
    void UpdateF(float dt);
    void Draw(Kivo::Graphics* g);

    // While the position moves: page a fades out with alpha 1 - f as page b
    // fades in with alpha f.
    struct Fade {
        int a;
        int b;
        float f;
    };
    Fade CurrentFade() const;

    Kivo::LiveValue mPosition{0.0f, kTurnSpeed};
    std::vector<std::unique_ptr<HelpListBase>> mPages;
};
