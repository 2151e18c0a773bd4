#pragma once

namespace mivra
{
class Shader;
class Texture;
} // namespace mivra

namespace mivra::detail
{
// At most one render target per thread holds a batch of draws not yet sent to OpenGL. These
// entry points send it before whatever could make it draw something else than was asked.
struct BatchControl
{
    // Sends the open batch, whichever target holds it.
    static void flush();
    // Sends the open batch if it samples the texture, or uses a shader (whose texture uniforms may
    // name it): before the texture's pixels, size or parameters change or it goes away.
    static void flushIfUsing(const Texture& texture);
    // Sends the open batch if it draws with the shader: before a uniform changes or it goes away.
    static void flushIfUsing(const Shader& shader);
};
} // namespace mivra::detail
