#pragma once

#include <mivra/Graphics/RenderTarget.hpp>
#include <mivra/Graphics/Texture.hpp>
#include <mivra/Window/ContextSettings.hpp>

#include <memory>
#include <optional>
#include <string>

namespace mivra
{
class Context;

/// A render target whose pixels end up in a texture: draw, call display(), then use getTexture().
///
/// It has a graphics context of its own (sharing textures with every other context), so it works
/// with no window at all. Depth and stencil buffers are made as the settings ask (a stencil buffer
/// comes with 24 depth bits and 8 stencil bits); antiAliasingLevel asks for multisampling.
class RenderTexture : public RenderTarget
{
public:
    RenderTexture();
    /// Throws mivra::Exception when the render texture cannot be made.
    explicit RenderTexture(Vector2u size, const ContextSettings& settings = {});
    ~RenderTexture() override;
    RenderTexture(RenderTexture&& other) noexcept;
    RenderTexture& operator=(RenderTexture&& other) noexcept;

    /// (Re)makes the render texture; its contents are undefined until cleared. False (with one
    /// line on stderr) when the size is zero or too large or the system lacks framebuffer objects.
    bool resize(Vector2u size, const ContextSettings& settings = {});
    bool create(Vector2u size, const ContextSettings& settings = {}) { return resize(size, settings); }

    void setSmooth(bool smooth) { m_texture.setSmooth(smooth); }
    [[nodiscard]] bool isSmooth() const { return m_texture.isSmooth(); }
    void setRepeated(bool repeated) { m_texture.setRepeated(repeated); }
    [[nodiscard]] bool isRepeated() const { return m_texture.isRepeated(); }

    bool setActive(bool active = true) override;
    /// Finishes the drawing so far into the texture.
    void display();

    [[nodiscard]] Vector2u getSize() const override { return m_texture.getSize(); }
    [[nodiscard]] bool isSrgb() const override { return m_texture.isSrgb(); }
    [[nodiscard]] const Texture& getTexture() const { return m_texture; }

private:
    /// resize() without the report: why the render texture cannot be made, if it cannot.
    std::optional<std::string> tryResize(Vector2u size, const ContextSettings& settings);
    void destroyFramebuffers();

    std::unique_ptr<Context> m_context;
    Texture m_texture;
    unsigned int m_framebuffer{};
    unsigned int m_depthStencil{};
    unsigned int m_multisampleFramebuffer{};
    unsigned int m_multisampleColor{};
    unsigned int m_multisampleDepthStencil{};
};
} // namespace mivra
