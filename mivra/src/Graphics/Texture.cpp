#include <mivra/Graphics/Texture.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/System/Exception.hpp>
#include <mivra/Window/Context.hpp>

#include "Graphics/detail/GlSavers.hpp"
#include "Graphics/detail/GlUse.hpp"
#include "Graphics/detail/TextureCacheId.hpp"

#include <epoxy/gl.h>

#include <algorithm>
#include <cassert>
#include <string>
#include <utility>

namespace mivra
{
namespace
{
GLint filterFor(bool smooth)
{
    return smooth ? GL_LINEAR : GL_NEAREST;
}

GLint wrapFor(bool repeated)
{
    return repeated ? GL_REPEAT : GL_CLAMP_TO_EDGE;
}

// Before the texture's pixels, size or parameters change, or it goes away: a batch drawing with it
// is sent first, then, where there is something to do in OpenGL, a context is made sure of.
bool useGl(const Texture& texture, bool withContext = true)
{
    const detail::GlUse use(texture);
    return withContext && Context::ensureActive();
}

// Changes two parameters of an existing texture at once. Without storage or a context there is
// nothing to change yet: the texture's creation applies the remembered settings.
void setParameterPair(const Texture& owner, GLuint texture, GLenum first, GLenum second, GLint value)
{
    if (!useGl(owner, texture != 0))
        return;
    const detail::TextureBindingSaver saver;
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, first, value);
    glTexParameteri(GL_TEXTURE_2D, second, value);
}

// The part of the image an area selects: the whole image for an empty area, else the area clipped.
IntRect clipArea(const IntRect& area, Vector2u imageSize)
{
    const IntRect whole({0, 0}, Vector2i(imageSize));
    if (area.size.x == 0 || area.size.y == 0)
        return whole;
    return area.findIntersection(whole).value_or(IntRect());
}
} // namespace

Texture::Texture() : m_cacheId(detail::nextTextureCacheId())
{
}

Texture::Texture(const std::filesystem::path& filename, bool sRgb) : Texture()
{
    // The image throws its own failures; what is left to fail is making the texture.
    const Image image(filename);
    if (auto why = tryCreate(image.getSize(), sRgb))
        throw Exception("cannot create the texture", {}, *why);
    update(image);
}

Texture::~Texture()
{
    if (useGl(*this, m_texture != 0))
    {
        const GLuint name = m_texture;
        glDeleteTextures(1, &name);
    }
}

Texture::Texture(const Texture& other) : Texture()
{
    m_isSmooth = other.m_isSmooth;
    m_isRepeated = other.m_isRepeated;
    if (other.m_texture && create(other.m_size, other.m_sRgb))
        update(other.copyToImage());
}

Texture& Texture::operator=(const Texture& other)
{
    if (this != &other)
    {
        Texture copy(other);
        swap(copy);
    }
    return *this;
}

Texture::Texture(Texture&& other) noexcept : Texture()
{
    swap(other);
}

Texture& Texture::operator=(Texture&& other) noexcept
{
    if (this != &other)
    {
        Texture moved(std::move(other));
        swap(moved);
    }
    return *this;
}

void Texture::swap(Texture& other) noexcept
{
    const detail::GlUse usesThis(*this), usesOther(other);
    std::swap(m_size, other.m_size);
    std::swap(m_texture, other.m_texture);
    std::swap(m_isSmooth, other.m_isSmooth);
    std::swap(m_sRgb, other.m_sRgb);
    std::swap(m_isRepeated, other.m_isRepeated);
    std::swap(m_pixelsFlipped, other.m_pixelsFlipped);
    m_cacheId = detail::nextTextureCacheId();
    other.m_cacheId = detail::nextTextureCacheId();
}

void swap(Texture& left, Texture& right) noexcept
{
    left.swap(right);
}

bool Texture::create(Vector2u size, bool sRgb)
{
    if (auto why = tryCreate(size, sRgb))
    {
        reportDiagnostic("cannot create the texture", {}, *why);
        return false;
    }
    return true;
}

std::optional<std::string> Texture::tryCreate(Vector2u size, bool sRgb)
{
    if (size.x == 0 || size.y == 0)
        return "invalid size " + std::to_string(size.x) + "x" + std::to_string(size.y);
    // The batch's texture coordinates were given for the old size.
    if (!useGl(*this))
        return "no graphics context";
    const unsigned int maxSize = getMaximumSize();
    if (size.x > maxSize || size.y > maxSize)
        return std::to_string(size.x) + "x" + std::to_string(size.y) + " exceeds the maximum size " +
               std::to_string(maxSize);

    if (!m_texture)
    {
        GLuint name = 0;
        glGenTextures(1, &name);
        m_texture = name;
    }
    m_size = size;
    m_sRgb = sRgb;
    m_pixelsFlipped = false;
    m_cacheId = detail::nextTextureCacheId();

    const detail::TextureBindingSaver saver;
    glBindTexture(GL_TEXTURE_2D, m_texture);
    glTexImage2D(GL_TEXTURE_2D, 0, sRgb ? GL_SRGB8_ALPHA8 : GL_RGBA8, static_cast<GLsizei>(size.x),
                 static_cast<GLsizei>(size.y), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapFor(m_isRepeated));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapFor(m_isRepeated));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filterFor(m_isSmooth));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filterFor(m_isSmooth));
    return std::nullopt;
}

bool Texture::loadFromFile(const std::filesystem::path& filename, bool sRgb, const IntRect& area)
{
    Image image;
    return image.loadFromFile(filename) && loadFromImage(image, sRgb, area);
}

bool Texture::loadFromMemory(const void* data, std::size_t size, bool sRgb, const IntRect& area)
{
    Image image;
    return image.loadFromMemory(data, size) && loadFromImage(image, sRgb, area);
}

bool Texture::loadFromImage(const Image& image, bool sRgb, const IntRect& area)
{
    if (!image.getPixelsPtr())
    {
        reportDiagnostic("cannot load the texture from the image", {}, "the image is empty");
        return false;
    }
    const IntRect rect = clipArea(area, image.getSize());
    if (rect.size.x <= 0 || rect.size.y <= 0)
    {
        reportDiagnostic("cannot load the texture from the image", {}, "the area lies outside the image");
        return false;
    }
    if (!create(Vector2u(rect.size), sRgb))
        return false;

    const detail::TextureBindingSaver saver;
    glBindTexture(GL_TEXTURE_2D, m_texture);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(image.getSize().x));
    const std::uint8_t* first =
        image.getPixelsPtr() +
        (static_cast<std::size_t>(rect.position.y) * image.getSize().x + static_cast<std::size_t>(rect.position.x)) * 4;
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, rect.size.x, rect.size.y, GL_RGBA, GL_UNSIGNED_BYTE, first);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glFlush();
    return true;
}

Image Texture::copyToImage() const
{
    // Any batch: one may be drawing into this texture (a render texture's).
    const detail::GlUse use;
    if (!m_texture || !Context::ensureActive())
        return {};
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(m_size.x) * m_size.y * 4);
    {
        const detail::TextureBindingSaver saver;
        glBindTexture(GL_TEXTURE_2D, m_texture);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }
    Image image(m_size, pixels.data());
    if (m_pixelsFlipped)
        image.flipVertically();
    return image;
}

void Texture::update(const std::uint8_t* pixels)
{
    update(pixels, m_size, {0, 0});
}

void Texture::update(const std::uint8_t* pixels, Vector2u size, Vector2u dest)
{
    assert(dest.x + size.x <= m_size.x && dest.y + size.y <= m_size.y && "Texture::update: region outside the texture");
    if (!pixels || !m_texture || size.x == 0 || size.y == 0)
        return;
    if (!useGl(*this))
        return;
    const detail::TextureBindingSaver saver;
    glBindTexture(GL_TEXTURE_2D, m_texture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(dest.x), static_cast<GLint>(dest.y),
                    static_cast<GLsizei>(size.x), static_cast<GLsizei>(size.y), GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glFlush();
    if (m_pixelsFlipped)
    {
        // The rows now run top-down again; the texture matrix must follow.
        m_pixelsFlipped = false;
        m_cacheId = detail::nextTextureCacheId();
    }
}

void Texture::update(const Image& image)
{
    update(image.getPixelsPtr(), image.getSize(), {0, 0});
}

void Texture::update(const Image& image, Vector2u dest)
{
    update(image.getPixelsPtr(), image.getSize(), dest);
}

void Texture::setSmooth(bool smooth)
{
    if (smooth == m_isSmooth)
        return;
    m_isSmooth = smooth;
    setParameterPair(*this, m_texture, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_MIN_FILTER, filterFor(smooth));
}

void Texture::setRepeated(bool repeated)
{
    if (repeated == m_isRepeated)
        return;
    m_isRepeated = repeated;
    setParameterPair(*this, m_texture, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, wrapFor(repeated));
}

void Texture::bind(const Texture* texture)
{
    // Called from outside, OpenGL is about to be used directly.
    const detail::GlUse use;
    GLfloat matrix[16] = {1.f, 0.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 0.f, 1.f};
    if (texture && texture->m_texture)
    {
        glBindTexture(GL_TEXTURE_2D, texture->m_texture);
        // Texture coordinates are given in pixels: scale them to [0, 1], flipping rows stored
        // bottom-up.
        matrix[0] = 1.f / static_cast<float>(texture->m_size.x);
        matrix[5] = 1.f / static_cast<float>(texture->m_size.y);
        if (texture->m_pixelsFlipped)
        {
            matrix[5] = -matrix[5];
            matrix[13] = 1.f;
        }
    }
    else
    {
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixf(matrix);
    glMatrixMode(GL_MODELVIEW);
}

unsigned int Texture::getMaximumSize()
{
    // Asked once, when a context can be had.
    static unsigned int size = 0;
    if (size == 0 && Context::ensureActive())
    {
        GLint value = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &value);
        size = static_cast<unsigned int>(value);
    }
    return size;
}
} // namespace mivra
