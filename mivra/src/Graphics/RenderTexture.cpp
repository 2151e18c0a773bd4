#include <mivra/Graphics/RenderTexture.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/System/Exception.hpp>
#include <mivra/Window/Context.hpp>

#include "Graphics/detail/GlUse.hpp"

#include <epoxy/gl.h>

#include <algorithm>
#include <string>
#include <utility>

namespace mivra
{
namespace
{
bool framebuffersAvailable()
{
    return epoxy_gl_version() >= 30 || epoxy_has_gl_extension("GL_ARB_framebuffer_object");
}

GLuint makeRenderbuffer(GLenum format, Vector2u size, GLsizei samples)
{
    GLuint buffer = 0;
    glGenRenderbuffers(1, &buffer);
    glBindRenderbuffer(GL_RENDERBUFFER, buffer);
    if (samples > 0)
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, static_cast<GLsizei>(size.x),
                                         static_cast<GLsizei>(size.y));
    else
        glRenderbufferStorage(GL_RENDERBUFFER, format, static_cast<GLsizei>(size.x), static_cast<GLsizei>(size.y));
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    return buffer;
}

// Attaches a depth (and stencil) buffer as the settings ask; 0 when they ask for none.
GLuint attachDepthStencil(const ContextSettings& settings, Vector2u size, GLsizei samples)
{
    if (settings.depthBits == 0 && settings.stencilBits == 0)
        return 0;
    const bool stencil = settings.stencilBits > 0;
    const GLuint buffer = makeRenderbuffer(stencil ? GL_DEPTH24_STENCIL8 : GL_DEPTH_COMPONENT24, size, samples);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                              GL_RENDERBUFFER, buffer);
    return buffer;
}
} // namespace

RenderTexture::RenderTexture() = default;

RenderTexture::RenderTexture(Vector2u size, const ContextSettings& settings)
{
    if (auto why = tryResize(size, settings))
        throw Exception("cannot create the render texture", {}, *why);
}

RenderTexture::~RenderTexture()
{
    destroyFramebuffers();
}

RenderTexture::RenderTexture(RenderTexture&& other) noexcept
    : RenderTarget(std::move(other)), m_context(std::move(other.m_context)), m_texture(std::move(other.m_texture)),
      m_framebuffer(std::exchange(other.m_framebuffer, 0u)), m_depthStencil(std::exchange(other.m_depthStencil, 0u)),
      m_multisampleFramebuffer(std::exchange(other.m_multisampleFramebuffer, 0u)),
      m_multisampleColor(std::exchange(other.m_multisampleColor, 0u)),
      m_multisampleDepthStencil(std::exchange(other.m_multisampleDepthStencil, 0u))
{
}

RenderTexture& RenderTexture::operator=(RenderTexture&& other) noexcept
{
    if (this != &other)
    {
        destroyFramebuffers();
        RenderTarget::operator=(std::move(other));
        m_context = std::move(other.m_context);
        m_texture = std::move(other.m_texture);
        m_framebuffer = std::exchange(other.m_framebuffer, 0u);
        m_depthStencil = std::exchange(other.m_depthStencil, 0u);
        m_multisampleFramebuffer = std::exchange(other.m_multisampleFramebuffer, 0u);
        m_multisampleColor = std::exchange(other.m_multisampleColor, 0u);
        m_multisampleDepthStencil = std::exchange(other.m_multisampleDepthStencil, 0u);
    }
    return *this;
}

void RenderTexture::destroyFramebuffers()
{
    if (!m_context || !useContext())
        return;
    const GLuint framebuffers[] = {m_framebuffer, m_multisampleFramebuffer};
    const GLuint renderbuffers[] = {m_depthStencil, m_multisampleColor, m_multisampleDepthStencil};
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(2, framebuffers);
    glDeleteRenderbuffers(3, renderbuffers);
    m_framebuffer = m_multisampleFramebuffer = 0;
    m_depthStencil = m_multisampleColor = m_multisampleDepthStencil = 0;
}

bool RenderTexture::resize(Vector2u size, const ContextSettings& settings)
{
    if (auto why = tryResize(size, settings))
    {
        reportDiagnostic("cannot create the render texture", {}, *why);
        return false;
    }
    return true;
}

std::optional<std::string> RenderTexture::tryResize(Vector2u size, const ContextSettings& settings)
{
    if (size.x == 0 || size.y == 0)
        return "invalid size " + std::to_string(size.x) + "x" + std::to_string(size.y);
    const bool hadContext = m_context != nullptr;
    if (!useContext())
        return hadContext ? "cannot activate its graphics context" : "no graphics context";
    if (!framebuffersAvailable())
        return "framebuffer objects are not supported";
    destroyFramebuffers();
    if (auto why = m_texture.tryCreate(size, settings.sRgbCapable))
        return "cannot make its texture: " + *why;
    m_context->setActive(true);

    glGenFramebuffers(1, &m_framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_texture.getNativeHandle(), 0);
    m_depthStencil = attachDepthStencil(settings, size, 0);
    bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;

    GLint maxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    if (complete && settings.antiAliasingLevel > 0 && maxSamples > 0)
    {
        // Drawing goes to a multisampled framebuffer, resolved into the texture by display().
        const auto samples =
            static_cast<GLsizei>(std::min<unsigned>(settings.antiAliasingLevel, static_cast<unsigned>(maxSamples)));
        glGenFramebuffers(1, &m_multisampleFramebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, m_multisampleFramebuffer);
        m_multisampleColor = makeRenderbuffer(settings.sRgbCapable ? GL_SRGB8_ALPHA8 : GL_RGBA8, size, samples);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_multisampleColor);
        m_multisampleDepthStencil = attachDepthStencil(settings, size, samples);
        complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }
    if (!complete)
    {
        destroyFramebuffers();
        return "the framebuffer is incomplete";
    }

    m_texture.m_pixelsFlipped = true;
    initialize();
    return std::nullopt;
}

bool RenderTexture::setActive(bool active)
{
    // The framebuffer stays bound in this context, which nothing else draws with.
    return m_framebuffer && useContext(active);
}

bool RenderTexture::useContext(bool active)
{
    const detail::GlUse use;
    if (!m_context && active)
    {
        m_context = std::make_unique<Context>();
        if (!m_context->setActive(true))
        {
            m_context.reset();
            return false;
        }
        return true;
    }
    return m_context && m_context->setActive(active);
}

void RenderTexture::display()
{
    if (!setActive(true))
        return;
    if (m_multisampleFramebuffer)
    {
        const auto w = static_cast<GLint>(getSize().x);
        const auto h = static_cast<GLint>(getSize().y);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, m_multisampleFramebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_framebuffer);
        glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, m_multisampleFramebuffer);
    }
    // Other contexts sample the texture next: the drawing must be complete, not merely queued.
    glFinish();
}
} // namespace mivra
