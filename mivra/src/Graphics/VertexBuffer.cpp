#include <mivra/Graphics/VertexBuffer.hpp>

#include <mivra/Graphics/RenderTarget.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/Window/Context.hpp>

#include "Graphics/detail/GlUse.hpp"

#include <epoxy/gl.h>

#include <cstdio>
#include <string>
#include <utility>

namespace mivra
{
namespace
{
GLenum glUsage(VertexBuffer::Usage usage)
{
    switch (usage)
    {
    case VertexBuffer::Usage::Static: return GL_STATIC_DRAW;
    case VertexBuffer::Usage::Dynamic: return GL_DYNAMIC_DRAW;
    default: return GL_STREAM_DRAW;
    }
}

std::string glErrorName(GLenum error)
{
    char text[32];
    std::snprintf(text, sizeof text, "OpenGL error 0x%x", static_cast<unsigned int>(error));
    return text;
}

// Clears errors left by earlier calls so the next check sees only its own.
void clearGlErrors()
{
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i)
    {
    }
}

// Before the buffers' bindings or contents change: the open batch is sent, then a context is made
// sure of.
bool useGl()
{
    const detail::GlUse use;
    return Context::ensureActive();
}
} // namespace

VertexBuffer::VertexBuffer(PrimitiveType type) : m_primitiveType(type)
{
}

VertexBuffer::VertexBuffer(Usage usage) : m_usage(usage)
{
}

VertexBuffer::VertexBuffer(PrimitiveType type, Usage usage) : m_primitiveType(type), m_usage(usage)
{
}

VertexBuffer::VertexBuffer(const VertexBuffer& copy)
    : Drawable(copy), m_primitiveType(copy.m_primitiveType), m_usage(copy.m_usage)
{
    if (copy.m_buffer == 0 || !create(copy.m_size) || m_size == 0)
        return;
    glBindBuffer(GL_COPY_READ_BUFFER, copy.m_buffer);
    glBindBuffer(GL_COPY_WRITE_BUFFER, m_buffer);
    glCopyBufferSubData(GL_COPY_READ_BUFFER, GL_COPY_WRITE_BUFFER, 0, 0,
                        static_cast<GLsizeiptr>(m_size * sizeof(Vertex)));
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
}

VertexBuffer& VertexBuffer::operator=(const VertexBuffer& right)
{
    VertexBuffer copy(right);
    swap(copy);
    return *this;
}

VertexBuffer::VertexBuffer(VertexBuffer&& other) noexcept
    : Drawable(other), m_buffer(std::exchange(other.m_buffer, 0u)), m_size(std::exchange(other.m_size, 0u)),
      m_primitiveType(other.m_primitiveType), m_usage(other.m_usage)
{
}

VertexBuffer& VertexBuffer::operator=(VertexBuffer&& other) noexcept
{
    VertexBuffer moved(std::move(other));
    swap(moved);
    return *this;
}

VertexBuffer::~VertexBuffer()
{
    if (m_buffer != 0 && useGl())
    {
        const GLuint buffer = m_buffer;
        glDeleteBuffers(1, &buffer);
    }
}

bool VertexBuffer::create(std::size_t vertexCount)
{
    if (!isAvailable())
    {
        reportDiagnostic("cannot create the vertex buffer", {}, "vertex buffers are not available");
        return false;
    }
    if (m_buffer == 0)
    {
        GLuint buffer = 0;
        glGenBuffers(1, &buffer);
        m_buffer = buffer;
    }
    if (m_buffer == 0)
    {
        reportDiagnostic("cannot create the vertex buffer", {}, "the driver gave no buffer");
        return false;
    }
    clearGlErrors();
    glBindBuffer(GL_ARRAY_BUFFER, m_buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexCount * sizeof(Vertex)), nullptr, glUsage(m_usage));
    const GLenum error = glGetError();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    if (error != GL_NO_ERROR)
    {
        reportDiagnostic("cannot create the vertex buffer", {},
                         "cannot allocate " + std::to_string(vertexCount) + " vertices (" + glErrorName(error) + ")");
        m_size = 0;
        return false;
    }
    m_size = vertexCount;
    return true;
}

bool VertexBuffer::update(const Vertex* vertices)
{
    return update(vertices, m_size, 0);
}

bool VertexBuffer::update(const Vertex* vertices, std::size_t vertexCount, unsigned int offset)
{
    if (m_buffer == 0)
    {
        reportDiagnostic("cannot update the vertex buffer", {}, "the buffer has not been created");
        return false;
    }
    if (vertexCount == 0)
        return true;
    if (!vertices)
    {
        reportDiagnostic("cannot update the vertex buffer", {}, "no vertices given");
        return false;
    }
    if (offset == 0 && vertexCount > m_size)
    {
        if (!create(vertexCount))
            return false;
    }
    else if (offset > m_size || vertexCount > m_size - offset)
    {
        reportDiagnostic("cannot update the vertex buffer", {},
                         std::to_string(vertexCount) + " vertices from " + std::to_string(offset) +
                             " do not fit in a buffer of " + std::to_string(m_size));
        return false;
    }
    if (!useGl())
        return false;
    clearGlErrors();
    glBindBuffer(GL_ARRAY_BUFFER, m_buffer);
    glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(offset * sizeof(Vertex)),
                    static_cast<GLsizeiptr>(vertexCount * sizeof(Vertex)), vertices);
    const GLenum error = glGetError();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    if (error != GL_NO_ERROR)
    {
        reportDiagnostic("cannot update the vertex buffer", {},
                         "the driver refused the vertices (" + glErrorName(error) + ")");
        return false;
    }
    return true;
}

void VertexBuffer::swap(VertexBuffer& other) noexcept
{
    std::swap(m_buffer, other.m_buffer);
    std::swap(m_size, other.m_size);
    std::swap(m_primitiveType, other.m_primitiveType);
    std::swap(m_usage, other.m_usage);
}

void VertexBuffer::bind(const VertexBuffer* vertexBuffer)
{
    if (!useGl())
        return;
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer ? vertexBuffer->m_buffer : 0);
}

bool VertexBuffer::isAvailable()
{
    // Vertex buffers are core since OpenGL 1.5.
    return Context::ensureActive() && epoxy_gl_version() >= 15;
}

void VertexBuffer::draw(RenderTarget& target, RenderStates states) const
{
    target.draw(*this, states);
}
} // namespace mivra
