#pragma once

#include <cstdint>

namespace mivra::detail
{
// Makes sure some graphics context is current on the calling thread, so that textures, shaders
// and render textures can be made before any window exists. False when none can be had.
bool ensureGlContext();

// A fresh identifier for texture contents; never zero.
std::uint64_t nextTextureCacheId();
} // namespace mivra::detail
