#pragma once
#include <cstdint>
#include <vector>

namespace Kivo {

// How an image's cels animate: type, delays and an optional frame map.
class AnimInfo {
public:
    enum AnimType { AnimType_None = 0, AnimType_Once = 1, AnimType_PingPong = 2, AnimType_Loop = 3 };

    AnimInfo() = default;
    AnimInfo(const AnimInfo&) = default;
    AnimInfo& operator=(const AnimInfo&) = default;
    virtual ~AnimInfo() = default;

    // Fills the frame map (ping-pong), the per-frame delays and the total
    // time from the cel count and the begin and end delays.
    void Compute(int numCels, int beginFrameTime = 0, int endFrameTime = 0);
    // The cel shown at `time`, in the units of the delays. Negative times
    // count as 0.
    int GetCel(int time) const;

    int mAnimType = AnimType_None;
    int mFrameDelay = 1;
    int mNumCels = 1; // frames: cels, or frame-map entries when there is a map
    std::vector<int> mPerFrameDelay;
    std::vector<int> mFrameMap;
    int mTotalAnimTime = 1; // sum of the frame delays
};

} // namespace Kivo
