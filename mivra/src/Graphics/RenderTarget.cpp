#include <mivra/Graphics/Drawable.hpp>
#include <mivra/Graphics/RenderTarget.hpp>
#include <mivra/Graphics/Shader.hpp>
#include <mivra/Graphics/Texture.hpp>
#include <mivra/Graphics/VertexBuffer.hpp>

#include "Graphics/detail/BatchControl.hpp"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace mivra
{
namespace
{
GLenum factorToGl(BlendMode::Factor factor)
{
    switch (factor)
    {
    case BlendMode::Factor::Zero: return GL_ZERO;
    case BlendMode::Factor::One: return GL_ONE;
    case BlendMode::Factor::SrcColor: return GL_SRC_COLOR;
    case BlendMode::Factor::OneMinusSrcColor: return GL_ONE_MINUS_SRC_COLOR;
    case BlendMode::Factor::DstColor: return GL_DST_COLOR;
    case BlendMode::Factor::OneMinusDstColor: return GL_ONE_MINUS_DST_COLOR;
    case BlendMode::Factor::SrcAlpha: return GL_SRC_ALPHA;
    case BlendMode::Factor::OneMinusSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    case BlendMode::Factor::DstAlpha: return GL_DST_ALPHA;
    case BlendMode::Factor::OneMinusDstAlpha: return GL_ONE_MINUS_DST_ALPHA;
    }
    return GL_ZERO;
}

GLenum equationToGl(BlendMode::Equation equation)
{
    switch (equation)
    {
    case BlendMode::Equation::Add: return GL_FUNC_ADD;
    case BlendMode::Equation::Subtract: return GL_FUNC_SUBTRACT;
    case BlendMode::Equation::ReverseSubtract: return GL_FUNC_REVERSE_SUBTRACT;
    case BlendMode::Equation::Min: return GL_MIN;
    case BlendMode::Equation::Max: return GL_MAX;
    }
    return GL_FUNC_ADD;
}

// The reference is the first operand: Less passes where reference < stored value.
GLenum comparisonToGl(StencilComparison comparison)
{
    switch (comparison)
    {
    case StencilComparison::Never: return GL_NEVER;
    case StencilComparison::Less: return GL_LESS;
    case StencilComparison::LessEqual: return GL_LEQUAL;
    case StencilComparison::Greater: return GL_GREATER;
    case StencilComparison::GreaterEqual: return GL_GEQUAL;
    case StencilComparison::Equal: return GL_EQUAL;
    case StencilComparison::NotEqual: return GL_NOTEQUAL;
    case StencilComparison::Always: return GL_ALWAYS;
    }
    return GL_ALWAYS;
}

GLenum updateToGl(StencilUpdateOperation operation)
{
    switch (operation)
    {
    case StencilUpdateOperation::Keep: return GL_KEEP;
    case StencilUpdateOperation::Zero: return GL_ZERO;
    case StencilUpdateOperation::Replace: return GL_REPLACE;
    case StencilUpdateOperation::Increment: return GL_INCR;
    case StencilUpdateOperation::Decrement: return GL_DECR;
    case StencilUpdateOperation::Invert: return GL_INVERT;
    }
    return GL_KEEP;
}

GLenum primitiveToGl(PrimitiveType type)
{
    switch (type)
    {
    case PrimitiveType::Points: return GL_POINTS;
    case PrimitiveType::Lines: return GL_LINES;
    case PrimitiveType::LineStrip: return GL_LINE_STRIP;
    case PrimitiveType::Triangles: return GL_TRIANGLES;
    case PrimitiveType::TriangleStrip: return GL_TRIANGLE_STRIP;
    case PrimitiveType::TriangleFan: return GL_TRIANGLE_FAN;
    }
    return GL_POINTS;
}

bool isDefault(const StencilMode& mode)
{
    return mode.stencilComparison == StencilComparison::Always &&
           mode.stencilUpdateOperation == StencilUpdateOperation::Keep && !mode.stencilOnly;
}

// The target holding this thread's open batch.
thread_local RenderTarget* openBatchTarget = nullptr;

// A batch is sent once it holds this many vertices (2.6 MB), so that drawing without ever
// displaying does not grow it without end.
constexpr std::size_t MaxBatchVertices = std::size_t{1} << 17;
// A batch reaches OpenGL in draw calls of at most this many vertices (a multiple of every
// primitive's size), its state set once. Mesa's software rasteriser fills small draw calls of
// rectangles (sprites, glyphs, filled rectangles) on a fast path it does not take for large ones:
// 10,000 sprites draw in about 60 % of the time of one call, rectangles in 20 %, and the extra
// calls cost a driver on a graphics card next to nothing.
constexpr std::size_t DrawCallVertices = 1200;
// A draw this large costs more to copy than its own draw call: it is drawn as it is.
constexpr std::size_t DirectDrawVertices = 2048;

// The vertices a draw adds to a batch: strips and fans become separate triangles (in the order
// the driver takes them apart itself, so that the same triangles are rasterised), and a trailing
// incomplete primitive is dropped as OpenGL drops it.
std::size_t batchedCount(PrimitiveType type, std::size_t count)
{
    switch (type)
    {
    case PrimitiveType::TriangleStrip:
    case PrimitiveType::TriangleFan: return count < 3 ? 0 : (count - 2) * 3;
    case PrimitiveType::Triangles: return count - count % 3;
    case PrimitiveType::Lines: return count - count % 2;
    case PrimitiveType::Points:
    case PrimitiveType::LineStrip: break;
    }
    return count;
}

PrimitiveType batchedType(PrimitiveType type)
{
    return type == PrimitiveType::TriangleStrip || type == PrimitiveType::TriangleFan ? PrimitiveType::Triangles : type;
}

// Copies a vertex, moving its position by the transform's 2D part (as the modelview matrix would).
struct TransformedCopy
{
    const float* m;
    Vertex operator()(const Vertex& v) const
    {
        return {{m[0] * v.position.x + m[4] * v.position.y + m[12], m[1] * v.position.x + m[5] * v.position.y + m[13]},
                v.color,
                v.texCoords};
    }
};

struct PlainCopy
{
    Vertex operator()(const Vertex& v) const { return v; }
};

template <typename Copy>
void appendVertices(Vertex* out, const Vertex* in, std::size_t count, PrimitiveType type, Copy copy)
{
    switch (type)
    {
    case PrimitiveType::TriangleStrip:
        for (std::size_t i = 0; i + 2 < count; ++i)
        {
            const std::size_t odd = i & 1u;
            *out++ = copy(in[i + odd]);
            *out++ = copy(in[i + 1 - odd]);
            *out++ = copy(in[i + 2]);
        }
        break;
    case PrimitiveType::TriangleFan:
        for (std::size_t i = 1; i + 1 < count; ++i)
        {
            *out++ = copy(in[0]);
            *out++ = copy(in[i]);
            *out++ = copy(in[i + 1]);
        }
        break;
    default:
        for (std::size_t i = 0; i < batchedCount(type, count); ++i)
            *out++ = copy(in[i]);
        break;
    }
}

bool hasFramebufferSrgb()
{
    static const bool available = epoxy_gl_version() >= 30 || epoxy_has_gl_extension("GL_ARB_framebuffer_sRGB");
    return available;
}
} // namespace

RenderTarget* detail::BatchControl::openBatch()
{
    return openBatchTarget;
}

void detail::BatchControl::flush()
{
    if (RenderTarget* target = openBatchTarget)
        target->flushBatch();
}

void detail::BatchControl::flushIfUsing(const Texture& texture)
{
    RenderTarget* target = openBatchTarget;
    if (target && (target->m_batch.texture == &texture || target->m_batch.shader))
        target->flushBatch();
}

void detail::BatchControl::flushIfUsing(const Shader& shader)
{
    RenderTarget* target = openBatchTarget;
    if (target && target->m_batch.shader == &shader)
        target->flushBatch();
}

void detail::BatchControl::discard(RenderTarget& target)
{
    if (openBatchTarget == &target)
        openBatchTarget = nullptr;
    target.m_batch.count = 0;
}

RenderTarget::~RenderTarget()
{
    // The derived target is gone already: what was not sent cannot be drawn any more.
    detail::BatchControl::discard(*this);
}

RenderTarget::RenderTarget(RenderTarget&& other) noexcept : m_defaultView(other.m_defaultView), m_view(other.m_view)
{
    if (openBatchTarget == &other)
        other.flushBatch();
}

RenderTarget& RenderTarget::operator=(RenderTarget&& other) noexcept
{
    if (openBatchTarget == this || openBatchTarget == &other)
        openBatchTarget->flushBatch();
    m_defaultView = other.m_defaultView;
    m_view = other.m_view;
    m_cache = StatesCache();
    return *this;
}

void RenderTarget::initialize()
{
    // A new context: draws gathered for the old one have nowhere to go.
    detail::BatchControl::discard(*this);
    m_defaultView.reset(FloatRect({0.f, 0.f}, Vector2f(getSize())));
    m_view = m_defaultView;
    m_cache.valid = false;
    m_cache.viewChanged = true;
}

void RenderTarget::updateDefaultView()
{
    if (openBatchTarget == this)
        flushBatch();
    m_defaultView.reset(FloatRect({0.f, 0.f}, Vector2f(getSize())));
    m_cache.viewChanged = true;
}

void RenderTarget::clear(Color color)
{
    if (!prepare())
        return;
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
}

void RenderTarget::clear(Color color, StencilValue stencilValue)
{
    clear(color);
    clearStencil(stencilValue);
}

void RenderTarget::clearStencil(StencilValue stencilValue)
{
    if (!prepare())
        return;
    // The stencil write mask of the last draw also masks clearing: open it for the whole buffer.
    glStencilMask(~0u);
    glClearStencil(static_cast<GLint>(stencilValue.value));
    glClear(GL_STENCIL_BUFFER_BIT);
    glStencilMask(m_cache.lastStencilMode.stencilMask.value);
}

void RenderTarget::setView(const View& view)
{
    if (openBatchTarget == this)
        flushBatch();
    m_view = view;
    m_cache.viewChanged = true;
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
    const std::size_t count = batchedCount(type, vertexCount);
    if (type == PrimitiveType::LineStrip || count >= DirectDrawVertices)
    {
        drawDirect(vertices, vertexCount, type, states);
        return;
    }
    if (count == 0)
        return;
    const PrimitiveType batchType = batchedType(type);
    if (openBatchTarget == this)
    {
        if (!joinsBatch(states, batchType) || m_batch.count + count > MaxBatchVertices)
            flushBatch();
    }
    else if (openBatchTarget)
    {
        openBatchTarget->flushBatch();
    }
    if (openBatchTarget != this)
    {
        openBatchTarget = this;
        m_batch.type = batchType;
        m_batch.texture = states.texture;
        m_batch.textureId = states.texture ? states.texture->m_cacheId : 0;
        m_batch.shader = states.shader;
        m_batch.blendMode = states.blendMode;
        m_batch.stencilMode = states.stencilMode;
        m_batch.transform = states.shader ? states.transform : Transform::Identity;
    }
    if (m_batch.count + count > m_batch.vertices.size())
        m_batch.vertices.resize(std::max(m_batch.count + count, 2 * m_batch.vertices.size()));
    Vertex* out = m_batch.vertices.data() + m_batch.count;
    m_batch.count += count;
    // A shader sees the vertices as given, with the transform in its modelview matrix.
    if (states.shader || states.transform == Transform::Identity)
        appendVertices(out, vertices, vertexCount, type, PlainCopy{});
    else
        appendVertices(out, vertices, vertexCount, type, TransformedCopy{states.transform.getMatrix()});
}

bool RenderTarget::joinsBatch(const RenderStates& states, PrimitiveType batchType) const
{
    return m_batch.type == batchType && m_batch.texture == states.texture &&
           (!states.texture || m_batch.textureId == states.texture->m_cacheId) && m_batch.shader == states.shader &&
           m_batch.blendMode == states.blendMode && m_batch.stencilMode == states.stencilMode &&
           (!states.shader || m_batch.transform == states.transform);
}

void RenderTarget::flushBatch()
{
    openBatchTarget = nullptr;
    const std::size_t count = m_batch.count;
    m_batch.count = 0;
    if (count == 0)
        return;
    const RenderStates states(m_batch.blendMode, m_batch.stencilMode, m_batch.transform, m_batch.texture,
                              m_batch.shader);
    if (!setupDraw(states))
        return;
    const auto* data = reinterpret_cast<const std::byte*>(m_batch.vertices.data());
    glVertexPointer(2, GL_FLOAT, sizeof(Vertex), data + offsetof(Vertex, position));
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), data + offsetof(Vertex, color));
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), data + offsetof(Vertex, texCoords));
    for (std::size_t first = 0; first < count; first += DrawCallVertices)
        glDrawArrays(primitiveToGl(m_batch.type), static_cast<GLint>(first),
                     static_cast<GLsizei>(std::min(DrawCallVertices, count - first)));
    if (states.shader)
        Shader::bind(nullptr);
}

void RenderTarget::drawDirect(const Vertex* vertices, std::size_t vertexCount, PrimitiveType type,
                              const RenderStates& states)
{
    if (!setupDraw(states))
        return;
    const auto* data = reinterpret_cast<const std::byte*>(vertices);
    glVertexPointer(2, GL_FLOAT, sizeof(Vertex), data + offsetof(Vertex, position));
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), data + offsetof(Vertex, color));
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), data + offsetof(Vertex, texCoords));
    glDrawArrays(primitiveToGl(type), 0, static_cast<GLsizei>(vertexCount));
    if (states.shader)
        Shader::bind(nullptr);
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
    if (vertexCount == 0 || !setupDraw(states))
        return;
    VertexBuffer::bind(&vertexBuffer);
    // With a buffer bound, the pointers are offsets into it.
    glVertexPointer(2, GL_FLOAT, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, position)));
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, color)));
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, texCoords)));
    glDrawArrays(primitiveToGl(vertexBuffer.getPrimitiveType()), static_cast<GLint>(firstVertex),
                 static_cast<GLsizei>(vertexCount));
    VertexBuffer::bind(nullptr);
    if (states.shader)
        Shader::bind(nullptr);
}

bool RenderTarget::setupDraw(const RenderStates& states)
{
    if (!prepare())
        return false;
    if (m_cache.viewChanged)
        applyCurrentView();
    if (states.blendMode != m_cache.lastBlendMode)
        applyBlendMode(states.blendMode);
    if (states.stencilMode != m_cache.lastStencilMode)
        applyStencilMode(states.stencilMode);
    applyTransform(states.transform);
    const std::uint64_t textureId = states.texture ? states.texture->m_cacheId : 0;
    if (textureId != m_cache.lastTextureId)
        applyTexture(states.texture);
    if (states.shader)
        Shader::bind(states.shader);
    return true;
}

bool RenderTarget::prepare()
{
    // Whatever comes next must find the batches drawn, this target's and any other.
    detail::BatchControl::flush();
    if (!setActive(true))
        return false;
    if (!m_cache.valid)
        resetGLStates();
    return m_cache.valid;
}

void RenderTarget::resetGLStates()
{
    detail::BatchControl::flush();
    if (!setActive(true))
        return;
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_BLEND);
    glActiveTexture(GL_TEXTURE0);
    glClientActiveTexture(GL_TEXTURE0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    if (hasFramebufferSrgb())
    {
        if (isSrgb())
            glEnable(GL_FRAMEBUFFER_SRGB);
        else
            glDisable(GL_FRAMEBUFFER_SRGB);
    }
    m_cache.valid = true;
    m_cache.lastTransformIdentity = true;
    applyBlendMode(BlendAlpha);
    applyStencilMode(StencilMode());
    applyTexture(nullptr);
    Shader::bind(nullptr);
    applyCurrentView();
}

void RenderTarget::applyCurrentView()
{
    // Views are in logical pixels; GL's viewport is in the framebuffer's physical ones.
    const Vector2u physical = getPhysicalSize();
    const Vector2f size(physical);
    const FloatRect& ratio = m_view.getViewport();
    const IntRect viewport(
        {static_cast<int>(std::lround(size.x * ratio.position.x)),
         static_cast<int>(std::lround(size.y * ratio.position.y))},
        {static_cast<int>(std::lround(size.x * ratio.size.x)), static_cast<int>(std::lround(size.y * ratio.size.y))});
    m_cache.physicalSize = physical;
    const int top = static_cast<int>(physical.y) - (viewport.position.y + viewport.size.y);
    glViewport(viewport.position.x, top, viewport.size.x, viewport.size.y);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(m_view.getTransform().getMatrix());
    glMatrixMode(GL_MODELVIEW);
    m_cache.viewChanged = false;
}

void RenderTarget::applyBlendMode(const BlendMode& mode)
{
    glBlendFuncSeparate(factorToGl(mode.colorSrcFactor), factorToGl(mode.colorDstFactor),
                        factorToGl(mode.alphaSrcFactor), factorToGl(mode.alphaDstFactor));
    glBlendEquationSeparate(equationToGl(mode.colorEquation), equationToGl(mode.alphaEquation));
    m_cache.lastBlendMode = mode;
}

void RenderTarget::applyStencilMode(const StencilMode& mode)
{
    if (isDefault(mode))
    {
        glDisable(GL_STENCIL_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
    else
    {
        glEnable(GL_STENCIL_TEST);
        glStencilFunc(comparisonToGl(mode.stencilComparison), static_cast<GLint>(mode.stencilReference.value),
                      mode.stencilMask.value);
        const GLenum operation = updateToGl(mode.stencilUpdateOperation);
        // Without a depth test every pixel that passes the stencil test takes the update.
        glStencilOp(GL_KEEP, operation, operation);
        const GLboolean color = mode.stencilOnly ? GL_FALSE : GL_TRUE;
        glColorMask(color, color, color, color);
    }
    glStencilMask(mode.stencilMask.value);
    m_cache.lastStencilMode = mode;
}

void RenderTarget::applyTransform(const Transform& transform)
{
    if (transform == Transform::Identity)
    {
        if (!m_cache.lastTransformIdentity)
        {
            glLoadIdentity();
            m_cache.lastTransformIdentity = true;
        }
    }
    else
    {
        glLoadMatrixf(transform.getMatrix());
        m_cache.lastTransformIdentity = false;
    }
}

void RenderTarget::applyTexture(const Texture* texture)
{
    if (texture && texture->getNativeHandle())
    {
        glEnable(GL_TEXTURE_2D);
        Texture::bind(texture);
        m_cache.lastTextureId = texture->m_cacheId;
    }
    else
    {
        glDisable(GL_TEXTURE_2D);
        Texture::bind(nullptr);
        m_cache.lastTextureId = 0;
    }
}
} // namespace mivra
