#pragma once

namespace mivra
{
class RenderTarget;
class Shader;
class Texture;
} // namespace mivra

namespace mivra::detail
{
// The way in to the OpenGL state an open batch of draws depends on: the current context and its
// bindings, a texture's pixels and parameters, a shader's program and uniforms, a target's view.
// Made, it sends the open batch (all of it, or only when it uses what is named); the caller then
// touches OpenGL, the batch drawn as it was gathered.
//
// Uses nest: the batch being sent binds its texture and shader through uses of its own, which
// leave it alone, as it is already on its way. No draw is gathered while a use is alive
// (asserted), so an enclosing use that sent the batch leaves none for the inner ones.
class GlUse
{
public:
    // Sends the open batch, whichever target holds it.
    GlUse();
    // Sends the open batch if it samples the texture, or uses a shader (whose texture uniforms may
    // name it).
    explicit GlUse(const Texture& texture);
    // Sends the open batch if it draws with the shader.
    explicit GlUse(const Shader& shader);
    // Sends the open batch if the target holds it.
    explicit GlUse(const RenderTarget& target);
    ~GlUse();
    GlUse(const GlUse&) = delete;
    GlUse& operator=(const GlUse&) = delete;

    // Whether a use is alive on this thread.
    [[nodiscard]] static bool active();

private:
    template <typename Send>
    void enter(Send&& send);
};
} // namespace mivra::detail
