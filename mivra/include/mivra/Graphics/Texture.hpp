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

/// An image in graphics memory, drawn by sprites, shapes and texts.
///
/// Creating or loading one makes sure a graphics context is active on the calling thread, so a
/// texture may be made before any window exists.
class Texture
{
public:
    Texture();
    /// Loads the file; throws mivra::Exception naming the file and the reason when it cannot.
    explicit Texture(const std::filesystem::path& filename, bool sRgb = false);
    ~Texture();
    Texture(const Texture& other);
    Texture& operator=(const Texture& other);
    Texture(Texture&& other) noexcept;
    Texture& operator=(Texture&& other) noexcept;

    /// Makes an uninitialised texture of that size. False (with one line on stderr) when the size is
    /// zero or beyond the maximum the hardware takes.
    bool create(Vector2u size, bool sRgb = false);
    bool resize(Vector2u size, bool sRgb = false) { return create(size, sRgb); }
    /// An empty area means the whole image; the area is clipped to the image.
    bool loadFromFile(const std::filesystem::path& filename, bool sRgb = false, const IntRect& area = {});
    bool loadFromMemory(const void* data, std::size_t size, bool sRgb = false, const IntRect& area = {});
    bool loadFromImage(const Image& image, bool sRgb = false, const IntRect& area = {});

    [[nodiscard]] Vector2u getSize() const { return m_size; }
    /// Reads the pixels back; an empty image when the texture is empty.
    [[nodiscard]] Image copyToImage() const;

    /// Replaces pixels, RGBA bytes rows from the top. The whole texture, or a region at dest.
    void update(const std::uint8_t* pixels);
    void update(const std::uint8_t* pixels, Vector2u size, Vector2u dest);
    void update(const Image& image);
    void update(const Image& image, Vector2u dest);

    void setSmooth(bool smooth);
    [[nodiscard]] bool isSmooth() const { return m_isSmooth; }
    [[nodiscard]] bool isSrgb() const { return m_sRgb; }
    void setRepeated(bool repeated);
    [[nodiscard]] bool isRepeated() const { return m_isRepeated; }

    void swap(Texture& other) noexcept;

    /// The OpenGL texture name.
    [[nodiscard]] unsigned int getNativeHandle() const { return m_texture; }

    /// Binds the texture (or none) for drawing outside the library, with the texture matrix set so
    /// that texture coordinates in pixels are normalised.
    static void bind(const Texture* texture);
    [[nodiscard]] static unsigned int getMaximumSize();

private:
    friend class RenderTexture;
    friend class RenderTarget;

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

void swap(Texture& left, Texture& right) noexcept;
} // namespace mivra
