#pragma once

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
// target, all with the same states, so that they reach OpenGL as one draw call. The batch is sent
// before anything that depends on it or could change what it draws.
class RenderBatch
{
public:
    // Adds the draw to the target's batch, sending the open one first when the draw cannot join it.
    // False, adding nothing, for draws that are better drawn as they are (line strips, large ones).
    static bool add(RenderTarget& target, const Vertex* vertices, std::size_t count, PrimitiveType type,
                    const RenderStates& states);
    // Sends the open batch, whichever target holds it.
    static void send();
    // Sends the open batch if `target` holds it.
    static void sendIfHeldBy(const RenderTarget& target);
    // Sends the open batch if it samples the texture, or uses a shader (whose texture uniforms may
    // name it): before the texture's pixels, size or parameters change or it goes away.
    static void sendIfUsing(const Texture& texture);
    // Sends the open batch if it draws with the shader: before a uniform changes or it goes away.
    static void sendIfUsing(const Shader& shader);
    // Drops the target's batch unsent (the target goes away, or its context does).
    static void discard(const RenderTarget& target);

private:
    // Closes this thread's open batch and draws what it gathered.
    static void sendOpen();
};
} // namespace mivra::detail
