#pragma once

#include <mivra/Graphics/BlendMode.hpp>
#include <mivra/Graphics/Color.hpp>
#include <mivra/Graphics/PrimitiveType.hpp>
#include <mivra/Graphics/Rect.hpp>
#include <mivra/Graphics/RenderStates.hpp>
#include <mivra/Graphics/StencilMode.hpp>
#include <mivra/Graphics/Vertex.hpp>
#include <mivra/Graphics/View.hpp>
#include <mivra/Window/detail/PixelRatio.hpp>

#include <cstddef>
#include <cstdint>

namespace mivra
{
class Drawable;
class Shader;
class Texture;
class VertexBuffer;

namespace detail
{
class RenderBatch;
struct GlStateCache;
} // namespace detail

/// Something that can be drawn into: a window or a texture.
///
/// The target keeps track of the graphics state it set last (view, blend and stencil modes,
/// texture, transform) and only sends what changed from one draw call to the next.
///
/// Consecutive draws of vertices that share texture, shader, blend and stencil modes are gathered
/// into one batch and reach OpenGL as one draw call. The batch is sent before anything that
/// depends on it or could change what it draws: another state, a clear, display(), a view change,
/// a vertex buffer, another target, resetGLStates(), setActive(), and changes to a texture or
/// shader it uses. Make the target active (setActive) before issuing OpenGL calls of your own.
class RenderTarget
{
public:
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;
    virtual ~RenderTarget();

    /// Fills the whole target (not only the viewport) with the colour.
    void clear(Color color = Color::Black);
    /// Clears the colour and the whole stencil buffer.
    void clear(Color color, StencilValue stencilValue);
    /// Fills the whole stencil buffer with the value, leaving the colours.
    void clearStencil(StencilValue stencilValue);

    /// The view that later draw calls go through; the target keeps a copy.
    void setView(const View& view);
    /// The current view.
    [[nodiscard]] const View& getView() const { return m_view; }
    /// The view that shows the target pixel for pixel, following its size.
    [[nodiscard]] const View& getDefaultView() const { return m_defaultView; }
    /// The view's viewport in target pixels (logical ones: see getSize()).
    [[nodiscard]] IntRect getViewport(const View& view) const;

    /// The world point shown at the target pixel, through the current view or `view`.
    ///@{
    [[nodiscard]] Vector2f mapPixelToCoords(Vector2i point) const { return mapPixelToCoords(point, m_view); }
    [[nodiscard]] Vector2f mapPixelToCoords(Vector2i point, const View& view) const;
    /// The target pixel where the world point shows, through the current view or `view`.
    ///@{
    [[nodiscard]] Vector2i mapCoordsToPixel(Vector2f point) const { return mapCoordsToPixel(point, m_view); }
    [[nodiscard]] Vector2i mapCoordsToPixel(Vector2f point, const View& view) const;
    ///@}

    /// Draws the object, which draws itself with `states` (see Drawable::draw).
    void draw(const Drawable& drawable, const RenderStates& states = RenderStates::Default);
    /// Draws `vertexCount` vertices as `type` with `states`. Nothing is drawn, and nothing reported
    /// beyond what activating the target reports, when the target cannot be made active.
    void draw(const Vertex* vertices, std::size_t vertexCount, PrimitiveType type,
              const RenderStates& states = RenderStates::Default);
    /// The whole buffer, or vertexCount vertices from firstVertex on (clipped to the buffer).
    ///@{
    void draw(const VertexBuffer& vertexBuffer, const RenderStates& states = RenderStates::Default);
    void draw(const VertexBuffer& vertexBuffer, std::size_t firstVertex, std::size_t vertexCount,
              const RenderStates& states = RenderStates::Default);
    ///@}

    /// The size of the target in logical pixels, the units of views, events and mapPixelToCoords:
    /// a render texture's own pixels, several physical ones each for a window on a scaled output.
    [[nodiscard]] virtual Vector2u getSize() const = 0;
    /// The size of the target in physical pixels, the ones it holds: getSize() times the output's
    /// scale for a window on a scaled output (Wayland), getSize() otherwise. Shapes are
    /// rasterised, text glyphs rendered and pixels read back at this resolution.
    [[nodiscard]] virtual Vector2u getPhysicalSize() const { return getSize(); }
    /// Physical pixels per logical pixel: getPhysicalSize() over getSize(), 1 but for a window on
    /// a scaled output. mivra::Text renders its glyphs at its character size times this ratio.
    [[nodiscard]] float getPixelRatio() const { return detail::pixelRatio(getSize(), getPhysicalSize()); }
    /// Whether the target converts linear colours to sRGB when drawn to.
    [[nodiscard]] virtual bool isSrgb() const { return false; }
    /// Makes this target the one the graphics calls go to on this thread (or releases it); false,
    /// reported through the diagnostics sink, when its context cannot be made current.
    virtual bool setActive(bool active = true) = 0;

    /// Sends the pending batch of draws and forgets the cached graphics state, then sets it all
    /// again; call after raw OpenGL calls.
    void resetGLStates();

protected:
    RenderTarget() = default;
    /// For targets that can move: views go along, the cached state is sent again on next use.
    ///@{
    RenderTarget(RenderTarget&& other) noexcept;
    RenderTarget& operator=(RenderTarget&& other) noexcept;
    ///@}
    /// Sets the default view (and the current view) to cover the whole target, and forgets the
    /// cached graphics state (a new window brings a new context).
    void initialize();
    /// After a size change: the default view covers the new size, the current view is kept and
    /// its viewport is placed again.
    void updateDefaultView();

private:
    friend class detail::RenderBatch;
    friend struct detail::GlStateCache;

    /// Draws straight away with the state in OpenGL, for what a batch does not take.
    void drawDirect(const Vertex* vertices, std::size_t vertexCount, PrimitiveType type, const RenderStates& states);
    /// Draws the gathered vertices of a batch, in draw calls of at most `perCall` vertices.
    void drawBatch(const Vertex* vertices, std::size_t count, PrimitiveType type, const RenderStates& states,
                   std::size_t perCall);
    /// The one way to OpenGL for the target: sends the open batch, makes the target active with
    /// its cached state valid, then runs `touch` (not at all when the target cannot be made active).
    template <typename Touch>
    void useGl(Touch&& touch);
    /// Before the view or the size changes: the open batch is sent through the old one.
    void viewChanges();

    View m_defaultView;
    View m_view;

    // The OpenGL state this target set last, so that a draw sends only what changed.
    struct StatesCache
    {
        bool valid{false};
        bool viewChanged{true};
        BlendMode lastBlendMode{BlendAlpha};
        StencilMode lastStencilMode{};
        bool lastTransformIdentity{false};
        std::uint64_t lastTextureId{0};
        Vector2u physicalSize;
    };
    StatesCache m_cache;
};
} // namespace mivra
