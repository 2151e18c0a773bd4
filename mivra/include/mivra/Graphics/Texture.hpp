#pragma once

#include <mivra/Graphics/Image.hpp>
#include <mivra/Graphics/Rect.hpp>
#include <mivra/System/Vector2.hpp>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace mivra
{
class RenderTexture;
class RenderTarget;
class Font;

namespace detail
{
struct GlStateCache;
} // namespace detail

/// An image in graphics memory, drawn by sprites, shapes and texts.
///
/// Creating or loading one makes sure a graphics context is active on the calling thread, so a
/// texture may be made before any window exists.
class Texture
{
public:
    /// An empty texture.
    Texture();
    /// Loads the file as loadFromFile() does; throws mivra::Exception, whose what() is the line
    /// loadFromFile() would report, when it cannot.
    explicit Texture(const std::filesystem::path& filename, bool sRgb = false);
    ~Texture();
    /// A copy has a texture of its own with the same pixels; when that cannot be made (reported
    /// through the diagnostics sink), the copy is empty.
    ///@{
    Texture(const Texture& other);
    Texture& operator=(const Texture& other);
    /// Takes the other's texture, which is left empty.
    ///@{
    Texture(Texture&& other) noexcept;
    Texture& operator=(Texture&& other) noexcept;
    ///@}

    /// Makes an uninitialised texture of that size, stored as sRGB when `sRgb` is set. False, with one
    /// line through the diagnostics sink ("mivra: cannot create the texture: <why>"), when the size is
    /// zero, no graphics context can be made or the size is beyond getMaximumSize().
    ///@{
    bool create(Vector2u size, bool sRgb = false);
    bool resize(Vector2u size, bool sRgb = false) { return create(size, sRgb); }
    /// Makes the texture from an image file, the bytes of one, or an Image; `area` selects a part of
    /// it (empty: the whole image; clipped to the image). On failure returns false, leaves the texture
    /// as it was and reports one line through the diagnostics sink: the image's own failure
    /// ("mivra: cannot load the image: <file>: <why>"), an empty image or area, or the texture's
    /// creation (see create()).
    ///@{
    bool loadFromFile(const std::filesystem::path& filename, bool sRgb = false, const IntRect& area = {});
    bool loadFromMemory(const void* data, std::size_t size, bool sRgb = false, const IntRect& area = {});
    bool loadFromImage(const Image& image, bool sRgb = false, const IntRect& area = {});
    ///@}

    /// The size in pixels; (0, 0) when empty.
    [[nodiscard]] Vector2u getSize() const { return m_size; }
    /// Reads the pixels back; an empty image when the texture is empty.
    [[nodiscard]] Image copyToImage() const;

    /// Replaces pixels with RGBA bytes (or an image's), rows from the top: the whole texture, or the
    /// region of that size at `dest`, which must lie inside the texture (asserted). Nothing happens to
    /// an empty texture.
    ///@{
    void update(const std::uint8_t* pixels);
    void update(const std::uint8_t* pixels, Vector2u size, Vector2u dest);
    void update(const Image& image);
    void update(const Image& image, Vector2u dest);
    ///@}

    /// Whether magnified and minified pixels are interpolated (off by default: sharp pixels).
    void setSmooth(bool smooth);
    /// Whether pixels are interpolated.
    [[nodiscard]] bool isSmooth() const { return m_isSmooth; }
    /// Whether the texture is stored as sRGB.
    [[nodiscard]] bool isSrgb() const { return m_sRgb; }
    /// Whether texture coordinates beyond the size repeat the texture (off by default: they clamp).
    void setRepeated(bool repeated);
    /// Whether the texture repeats.
    [[nodiscard]] bool isRepeated() const { return m_isRepeated; }

    /// Exchanges the two textures.
    void swap(Texture& other) noexcept;

    /// The OpenGL texture name.
    [[nodiscard]] unsigned int getNativeHandle() const { return m_texture; }

    /// Binds the texture (or none) for drawing outside the library, with the texture matrix set so
    /// that texture coordinates in pixels are normalised.
    static void bind(const Texture* texture);
    /// The largest width and height the driver takes.
    [[nodiscard]] static unsigned int getMaximumSize();

private:
    friend class RenderTexture;
    friend struct detail::GlStateCache;

    /// create() without the report: why the texture cannot be made, if it cannot.
    std::optional<std::string> tryCreate(Vector2u size, bool sRgb);

    Vector2u m_size;
    unsigned int m_texture{};
    bool m_isSmooth{false};
    bool m_sRgb{false};
    bool m_isRepeated{false};
    bool m_pixelsFlipped{false}; ///< rows stored bottom-up, as a render texture leaves them
    std::uint64_t m_cacheId;     ///< changes whenever the texture's storage is replaced
};

/// Exchanges the two textures.
void swap(Texture& left, Texture& right) noexcept;
} // namespace mivra
