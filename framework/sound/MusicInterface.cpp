#include "framework/sound/MusicInterface.h"

namespace Kivo {

MusicFade::Result MusicFade::Advance()
{
    if (step == 0.0)
        return Result::Steady;
    volume += step;
    if (volume > ceiling) {
        volume = ceiling;
        step = 0.0;
    } else if (volume < 0.0) {
        volume = 0.0;
        step = 0.0;
        if (stopOnFade)
            return Result::FadedOut;
    }
    return Result::Changed;
}

} // namespace Kivo
