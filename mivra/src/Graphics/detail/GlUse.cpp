#include "Graphics/detail/GlUse.hpp"
#include "Graphics/detail/RenderBatch.hpp"

namespace mivra::detail
{
namespace
{
thread_local int usesAlive = 0;
// Set while a use sends the batch: the uses drawing it makes find it on its way.
thread_local bool sending = false;
} // namespace

template <typename Send>
void GlUse::enter(Send&& send)
{
    ++usesAlive;
    if (sending)
        return;
    sending = true;
    send();
    sending = false;
}

GlUse::GlUse()
{
    enter([] {
        if (RenderBatch::open())
            RenderBatch::sendOpen();
    });
}

GlUse::GlUse(const Texture& texture)
{
    enter([&texture] {
        if (RenderBatch::uses(texture))
            RenderBatch::sendOpen();
    });
}

GlUse::GlUse(const Shader& shader)
{
    enter([&shader] {
        if (RenderBatch::uses(shader))
            RenderBatch::sendOpen();
    });
}

GlUse::GlUse(const RenderTarget& target)
{
    enter([&target] {
        if (RenderBatch::heldBy(target))
            RenderBatch::sendOpen();
    });
}

GlUse::~GlUse()
{
    --usesAlive;
}

bool GlUse::active()
{
    return usesAlive > 0;
}
} // namespace mivra::detail
