#pragma once

#include "Graphics/detail/GlUse.hpp"

#include <mivra/Graphics/PrimitiveType.hpp>
#include <mivra/Graphics/RenderStates.hpp>
#include <mivra/Graphics/Vertex.hpp>

#include <cstddef>

namespace mivra
{
class RenderTarget;
} // namespace mivra

namespace mivra::detail
{
// The draws gathered on this thread and not yet sent to OpenGL: one per thread at most, for one
// target, all with the same states, so that they reach OpenGL as one draw call. It is sent only
// through a GlUse, made by whatever touches the OpenGL state it depends on.
class RenderBatch
{
public:
    // Adds the draw to the target's batch, sending the open one first when the draw cannot join it.
    // False, adding nothing, for draws that are better drawn as they are (line strips, large ones).
    static bool add(RenderTarget& target, const Vertex* vertices, std::size_t count, PrimitiveType type,
                    const RenderStates& states);
    // Drops the target's batch unsent (the target goes away, or its context does).
    static void discard(const RenderTarget& target);
    // The batch `from` holds goes to `to`, which takes over its views and context (a move).
    static void retarget(const RenderTarget& from, RenderTarget& to);

private:
    friend class GlUse;

    // Draws what this thread's open batch gathered and closes it.
    static void sendOpen();
    // Whether the open batch is held by the target, samples the texture (or has a shader), or
    // draws with the shader.
    static bool heldBy(const RenderTarget& target);
    static bool uses(const Texture& texture);
    static bool uses(const Shader& shader);
    static bool open();
};
} // namespace mivra::detail
