#pragma once

namespace mivra
{
class RenderTarget;
struct RenderStates;

/// Something that can draw itself into a render target.
class Drawable
{
public:
    /// Destroys the object.
    virtual ~Drawable() = default;

protected:
    friend class RenderTarget;
    /// Draws the object into `target` with `states`, called by RenderTarget::draw. An override usually
    /// combines its own transform into states.transform and draws its vertices or children.
    virtual void draw(RenderTarget& target, RenderStates states) const = 0;
};
} // namespace mivra
