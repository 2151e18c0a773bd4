#include <mivra/Graphics/Drawable.hpp>
#include <mivra/Graphics/RenderTarget.hpp>
#include <mivra/Graphics/Shader.hpp>
#include <mivra/Graphics/VertexBuffer.hpp>

#include "Graphics/detail/GlStateCache.hpp"
#include "Graphics/detail/GlStateTables.hpp"
#include "Graphics/detail/RenderBatch.hpp"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace mivra
{
template <typename Touch>
void RenderTarget::useGl(Touch&& touch)
{
    // Whatever comes next must find the batches drawn, this target's and any other.
    const detail::GlUse use;
    if (!setActive(true))
        return;
    if (!m_cache.valid)
        detail::GlStateCache::reset(*this);
    touch();
}
RenderTarget::~RenderTarget()
{
    // The derived target is gone already: what was not sent cannot be drawn any more.
    detail::RenderBatch::discard(*this);
}

RenderTarget::RenderTarget(RenderTarget&& other) noexcept : m_defaultView(other.m_defaultView), m_view(other.m_view)
{
    // The draws go along with the views and the context they were gathered for.
    detail::RenderBatch::retarget(other, *this);
}

RenderTarget& RenderTarget::operator=(RenderTarget&& other) noexcept
{
    {
        const detail::GlUse sendOurs(*this);
    }
    detail::RenderBatch::retarget(other, *this);
    m_defaultView = other.m_defaultView;
    m_view = other.m_view;
    m_cache = StatesCache();
    return *this;
}

void RenderTarget::initialize()
{
    // A new context: draws gathered for the old one have nowhere to go.
    detail::RenderBatch::discard(*this);
    m_defaultView.reset(FloatRect({0.f, 0.f}, Vector2f(getSize())));
    m_view = m_defaultView;
    m_cache.valid = false;
    m_cache.viewChanged = true;
}

void RenderTarget::updateDefaultView()
{
    viewChanges();
    m_defaultView.reset(FloatRect({0.f, 0.f}, Vector2f(getSize())));
}

void RenderTarget::viewChanges()
{
    // The open batch is drawn through the view and size it was gathered under.
    const detail::GlUse use(*this);
    m_cache.viewChanged = true;
}

void RenderTarget::clear(Color color)
{
    useGl([&] {
        // A frame starts with a clear: a new output scale takes effect from here.
        if (getPhysicalSize() != m_cache.physicalSize)
            m_cache.viewChanged = true;
        // A stencil-only draw leaves colour writes off; clearing must still reach every channel.
        if (m_cache.lastStencilMode.stencilOnly)
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(color.r / 255.f, color.g / 255.f, color.b / 255.f, color.a / 255.f);
        glClear(GL_COLOR_BUFFER_BIT);
        if (m_cache.lastStencilMode.stencilOnly)
            glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    });
}

void RenderTarget::clear(Color color, StencilValue stencilValue)
{
    clear(color);
    clearStencil(stencilValue);
}

void RenderTarget::clearStencil(StencilValue stencilValue)
{
    useGl([&] {
        // The stencil write mask of the last draw also masks clearing: open it for the whole buffer.
        glStencilMask(~0u);
        glClearStencil(static_cast<GLint>(stencilValue.value));
        glClear(GL_STENCIL_BUFFER_BIT);
        glStencilMask(m_cache.lastStencilMode.stencilMask.value);
    });
}

void RenderTarget::setView(const View& view)
{
    viewChanges();
    m_view = view;
}

IntRect RenderTarget::getViewport(const View& view) const
{
    const Vector2f size(getSize());
    const FloatRect& viewport = view.getViewport();
    return IntRect({static_cast<int>(std::lround(size.x * viewport.position.x)),
                    static_cast<int>(std::lround(size.y * viewport.position.y))},
                   {static_cast<int>(std::lround(size.x * viewport.size.x)),
                    static_cast<int>(std::lround(size.y * viewport.size.y))});
}

Vector2f RenderTarget::mapPixelToCoords(Vector2i point, const View& view) const
{
    const FloatRect viewport(getViewport(view));
    const Vector2f normalized(-1.f + 2.f * (static_cast<float>(point.x) - viewport.position.x) / viewport.size.x,
                              1.f - 2.f * (static_cast<float>(point.y) - viewport.position.y) / viewport.size.y);
    return view.getInverseTransform().transformPoint(normalized);
}

Vector2i RenderTarget::mapCoordsToPixel(Vector2f point, const View& view) const
{
    const Vector2f normalized = view.getTransform().transformPoint(point);
    const FloatRect viewport(getViewport(view));
    return {static_cast<int>(std::floor((normalized.x + 1.f) / 2.f * viewport.size.x + viewport.position.x)),
            static_cast<int>(std::floor((-normalized.y + 1.f) / 2.f * viewport.size.y + viewport.position.y))};
}

void RenderTarget::draw(const Drawable& drawable, const RenderStates& states)
{
    drawable.draw(*this, states);
}

void RenderTarget::draw(const Vertex* vertices, std::size_t vertexCount, PrimitiveType type, const RenderStates& states)
{
    if (!vertices || vertexCount == 0)
        return;
    if (!detail::RenderBatch::add(*this, vertices, vertexCount, type, states))
        drawDirect(vertices, vertexCount, type, states);
}

void RenderTarget::drawBatch(const Vertex* vertices, std::size_t count, PrimitiveType type, const RenderStates& states,
                             std::size_t perCall)
{
    useGl([&] {
        detail::GlStateCache::apply(*this, states);
        detail::GlStateCache::pointAt(vertices);
        for (std::size_t first = 0; first < count; first += perCall)
            glDrawArrays(detail::primitiveToGl(type), static_cast<GLint>(first),
                         static_cast<GLsizei>(std::min(perCall, count - first)));
        if (states.shader)
            Shader::bind(nullptr);
    });
}

void RenderTarget::drawDirect(const Vertex* vertices, std::size_t vertexCount, PrimitiveType type,
                              const RenderStates& states)
{
    drawBatch(vertices, vertexCount, type, states, vertexCount);
}

void RenderTarget::draw(const VertexBuffer& vertexBuffer, const RenderStates& states)
{
    draw(vertexBuffer, 0, vertexBuffer.getVertexCount(), states);
}

void RenderTarget::draw(const VertexBuffer& vertexBuffer, std::size_t firstVertex, std::size_t vertexCount,
                        const RenderStates& states)
{
    if (!vertexBuffer.getNativeHandle() || firstVertex >= vertexBuffer.getVertexCount())
        return;
    vertexCount = std::min(vertexCount, vertexBuffer.getVertexCount() - firstVertex);
    if (vertexCount == 0)
        return;
    useGl([&] {
        detail::GlStateCache::apply(*this, states);
        VertexBuffer::bind(&vertexBuffer);
        // With a buffer bound, the pointers are offsets into it.
        detail::GlStateCache::pointAt(nullptr);
        glDrawArrays(detail::primitiveToGl(vertexBuffer.getPrimitiveType()), static_cast<GLint>(firstVertex),
                     static_cast<GLsizei>(vertexCount));
        VertexBuffer::bind(nullptr);
        if (states.shader)
            Shader::bind(nullptr);
    });
}

void RenderTarget::resetGLStates()
{
    m_cache.valid = false;
    useGl([] {});
}

} // namespace mivra
