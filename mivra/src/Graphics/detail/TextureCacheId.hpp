#pragma once

#include <cstdint>

namespace mivra::detail
{
// A fresh identifier for a texture's storage, never zero. Render targets remember the id of the
// texture they bound last and skip binding it again while it is the same.
std::uint64_t nextTextureCacheId();
} // namespace mivra::detail
