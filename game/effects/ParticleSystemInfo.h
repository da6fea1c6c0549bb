#pragma once
// The definition of one particle system of the game's own particle engine,
// copied by value into every system that runs it.
#include <string>

namespace Kivo {
class Image;
}

struct ParticleColor {
    float a = 1, b = 0, g = 0, r = 0;
};

struct ParticleSystemInfo {
    Kivo::Image* image = nullptr; // the resource manager's
    int emission = 0;             // particles per second; the burst size for lifetime -3
    float lifetime = 0;           // seconds; -1 endless, -3 one burst
    float particleLifeMin = 0, particleLifeMax = 0;
    float direction = 0; // radians, 0 up
    float spread = 0;    // radians, the whole cone
    bool relative = false;
    float speedMin = 0, speedMax = 0; // pixels per step
    float gravityMin = 0, gravityMax = 0;
    float radialAccMin = 0, radialAccMax = 0;
    float tangentialAccMin = 0, tangentialAccMax = 0;
    float sizeStart = 0, sizeEnd = 0, sizeVar = 0;
    float spinStart = 0, spinEnd = 0, spinVar = 0;
    ParticleColor colorStart;
    ParticleColor colorEnd;
    float colorVar = 0;
    float alphaVar = 0;
    unsigned char blend = 0; // 1 additive
    float bornWidth = 0, bornHeight = 0;
    float waveSize = 0;
    float waveSpeed = 0;
    float alphaRepeat = 0;
    std::string imageId;
};
