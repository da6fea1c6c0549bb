#pragma once
// The line under the total score of the level-completed window: it grows
// from the left with a particle trail at its growing end.
#include "framework/graphics/LiveValue.h"
#include "framework/widgets/Widget.h"

#include <memory>

namespace Kivo {
class Image;
}
class UiEmitter;

class LineWithEffects : public Kivo::Widget {
public:
    LineWithEffects(Kivo::Image* image, int x, int y);
    ~LineWithEffects() override;

    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;

    void Show(bool show, bool animate);

    Kivo::Image* mImage;
    Kivo::LiveValue mLength{0.0f, 0.02f}; // 0 nothing shown, 1 the whole line
    std::unique_ptr<UiEmitter> mEmitter;  // none without an effect system
};
