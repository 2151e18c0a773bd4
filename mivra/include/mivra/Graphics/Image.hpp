#pragma once

#include <mivra/Graphics/Color.hpp>
#include <mivra/Graphics/Rect.hpp>
#include <mivra/System/Vector2.hpp>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace mivra
{
/// Pixels in memory, RGBA with one byte per channel, rows from top to bottom.
class Image
{
public:
    Image() = default;
    Image(Vector2u size, Color color);
    Image(Vector2u size, const std::uint8_t* pixels);
    /// Loads the file; throws mivra::Exception naming the file and the reason when it cannot.
    explicit Image(const std::filesystem::path& filename);

    /// Replaces the contents; a zero width or height leaves an empty image.
    void create(Vector2u size, Color color = Color::Black);
    void create(Vector2u size, const std::uint8_t* pixels);

    /// Reads PNG, JPEG, BMP or TGA, recognised by content. A damaged file (including a JPEG whose
    /// compressed data is cut short or corrupt) fails rather than loading with a hole in it. On failure
    /// prints one line naming the file (or "memory") on stderr, returns false and leaves the image
    /// unchanged.
    bool loadFromFile(const std::filesystem::path& filename);
    bool loadFromMemory(const void* data, std::size_t size);
    /// Writes PNG, BMP, TGA or JPEG, chosen by the extension. On failure prints one line naming the
    /// file on stderr and returns false.
    [[nodiscard]] bool saveToFile(const std::filesystem::path& filename) const;

    [[nodiscard]] Vector2u getSize() const { return m_size; }
    [[nodiscard]] Color getPixel(Vector2u coords) const;
    void setPixel(Vector2u coords, Color color);
    /// Width * height * 4 bytes, or nullptr when the image is empty.
    [[nodiscard]] const std::uint8_t* getPixelsPtr() const { return m_pixels.empty() ? nullptr : m_pixels.data(); }

    void flipVertically();
    void flipHorizontally();

private:
    /// Lets the loaders hand over decoded pixels without copying them.
    friend struct ImagePixelsAccess;

    Vector2u m_size;
    std::vector<std::uint8_t> m_pixels;
};
} // namespace mivra
