#include "game/match/ImageFrames.h"

#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/Image.h"

int FrameCount(const Kivo::Image* image)
{
    int n = image ? image->mNumCols * image->mNumRows : 1;
    return n > 0 ? n : 1;
}

int FrameDelay(const Kivo::Image* image)
{
    return image && image->mAnimInfo && image->mAnimInfo->mFrameDelay > 0 ? image->mAnimInfo->mFrameDelay : 1;
}

void AdvanceFrame(const Kivo::Image* image, int& tick, int& frame)
{
    ++tick;
    if (tick % FrameDelay(image) == 0)
        frame = (frame + 1) % FrameCount(image);
}
