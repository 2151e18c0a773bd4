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
    /// No render texture yet; resize() makes it.
    RenderTexture();
    /// Makes it as resize() does; throws mivra::Exception, whose what() is the line resize() would
    /// report, when it cannot.
    explicit RenderTexture(Vector2u size, const ContextSettings& settings = {});
    ~RenderTexture() override;
    /// Takes the other's context, texture and framebuffers.
    ///@{
    RenderTexture(RenderTexture&& other) noexcept;
    RenderTexture& operator=(RenderTexture&& other) noexcept;
    ///@}

    /// (Re)makes the render texture; its contents are undefined until cleared. False, with one line
    /// through the diagnostics sink ("mivra: cannot create the render texture: <why>"), when the size
    /// is zero or too large, no graphics context can be made or the system lacks framebuffer objects.
    ///@{
    bool resize(Vector2u size, const ContextSettings& settings = {});
    bool create(Vector2u size, const ContextSettings& settings = {}) { return resize(size, settings); }
    ///@}

    /// Smoothing and repeating of the texture; see Texture::setSmooth() and Texture::setRepeated().
    ///@{
    void setSmooth(bool smooth) { m_texture.setSmooth(smooth); }
    [[nodiscard]] bool isSmooth() const { return m_texture.isSmooth(); }
    void setRepeated(bool repeated) { m_texture.setRepeated(repeated); }
    [[nodiscard]] bool isRepeated() const { return m_texture.isRepeated(); }
    ///@}

    bool setActive(bool active = true) override;
    /// Finishes the drawing so far into the texture.
    void display();

    [[nodiscard]] Vector2u getSize() const override { return m_texture.getSize(); }
    [[nodiscard]] bool isSrgb() const override { return m_texture.isSrgb(); }
    /// The texture drawn into; its contents are those of the last display().
    [[nodiscard]] const Texture& getTexture() const { return m_texture; }

private:
    /// resize() without the report: why the render texture cannot be made, if it cannot.
    std::optional<std::string> tryResize(Vector2u size, const ContextSettings& settings);
    void destroyFramebuffers();
    /// Sends the open batch (drawn in the context current now), then makes the texture's context
    /// current (or releases it), making one first when there is none and `active` asks for it.
    bool useContext(bool active = true);

    std::unique_ptr<Context> m_context;
    Texture m_texture;
    unsigned int m_framebuffer{};
    unsigned int m_depthStencil{};
    unsigned int m_multisampleFramebuffer{};
    unsigned int m_multisampleColor{};
    unsigned int m_multisampleDepthStencil{};
};
} // namespace mivra
