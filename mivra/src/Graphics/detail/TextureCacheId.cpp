#include "Graphics/detail/TextureCacheId.hpp"

#include <atomic>

namespace mivra::detail
{
std::uint64_t nextTextureCacheId()
{
    static std::atomic<std::uint64_t> next{1};
    return next++;
}
} // namespace mivra::detail
