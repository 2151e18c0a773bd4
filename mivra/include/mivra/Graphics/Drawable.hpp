#pragma once

namespace mivra
{
class RenderTarget;
struct RenderStates;

/// Something that can draw itself into a render target.
class Drawable
{
public:
    virtual ~Drawable() = default;

protected:
    friend class RenderTarget;
    virtual void draw(RenderTarget& target, RenderStates states) const = 0;
};
} // namespace mivra
