#include "Graphics/detail/GlContext.hpp"

#include <mivra/Window/Context.hpp>

#include <atomic>

namespace mivra::detail
{
bool ensureGlContext()
{
    return Context::ensureActive();
}

std::uint64_t nextTextureCacheId()
{
    static std::atomic<std::uint64_t> next{1};
    return next++;
}
} // namespace mivra::detail
