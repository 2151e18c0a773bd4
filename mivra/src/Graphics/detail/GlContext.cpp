#include "Graphics/detail/GlContext.hpp"

#if __has_include(<mivra/Window/Context.hpp>)
#include <mivra/Window/Context.hpp>
#define MIVRA_HAS_CONTEXT 1
#endif

#include <atomic>

namespace mivra::detail
{
bool ensureGlContext()
{
#ifdef MIVRA_HAS_CONTEXT
    return Context::ensureActive();
#else
    return true;
#endif
}

std::uint64_t nextTextureCacheId()
{
    static std::atomic<std::uint64_t> next{1};
    return next++;
}
} // namespace mivra::detail
