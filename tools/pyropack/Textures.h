#pragma once
// Particle textures painted from their description: white pictures whose
// alpha gives the shape, so that the particle colour tints them.
#include "platform/pyro/PyroFormat.h"

#include <string>

namespace pyropack {

// Shapes: "glow", "spark", "star", "ring", "smoke", "dot", "shard".
// False for an unknown shape or a size outside 4..256.
bool PaintTexture(const std::string& shape, int size, int seed, PyroParticles::TextureData& out);

} // namespace pyropack
