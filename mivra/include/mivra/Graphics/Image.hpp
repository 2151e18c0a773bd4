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
    /// An empty image.
    Image() = default;
    /// An image of that size filled with the colour; see create().
    Image(Vector2u size, Color color);
    /// An image of that size from RGBA bytes; see create().
    Image(Vector2u size, const std::uint8_t* pixels);
    /// Loads the file as loadFromFile() does; throws mivra::Exception, whose what() is the line
    /// loadFromFile() would report, when it cannot.
    explicit Image(const std::filesystem::path& filename);

    /// Replaces the contents; a zero width or height leaves an empty image.
    void create(Vector2u size, Color color = Color::Black);
    /// Replaces the contents with size.x * size.y * 4 RGBA bytes, rows from the top; a zero width or height leaves an empty image.
    void create(Vector2u size, const std::uint8_t* pixels);

    /// Reads PNG, JPEG, BMP or TGA, recognised by content. A damaged file (including a JPEG whose
    /// compressed data is cut short or corrupt) fails rather than loading with a hole in it. On failure
    /// returns false, leaves the image unchanged and reports one line through the diagnostics sink:
    /// "mivra: cannot load the image: <file>: <why>".
    bool loadFromFile(const std::filesystem::path& filename);
    /// The same from the bytes of an image file. On failure returns false, leaves the image unchanged
    /// and reports "mivra: cannot load the image from memory: <why>".
    bool loadFromMemory(const void* data, std::size_t size);
    /// Writes PNG, BMP, TGA or JPEG, chosen by the extension. On failure (an empty image, an unknown
    /// extension, a file that cannot be written) returns false and reports one line through the
    /// diagnostics sink: "mivra: cannot save the image: <file>: <why>".
    [[nodiscard]] bool saveToFile(const std::filesystem::path& filename) const;

    /// The size in pixels; (0, 0) when empty.
    [[nodiscard]] Vector2u getSize() const { return m_size; }
    /// The pixel at `coords`, which must lie inside the image (asserted).
    [[nodiscard]] Color getPixel(Vector2u coords) const;
    /// Sets the pixel at `coords`, which must lie inside the image (asserted).
    void setPixel(Vector2u coords, Color color);
    /// Width * height * 4 bytes, or nullptr when the image is empty.
    [[nodiscard]] const std::uint8_t* getPixelsPtr() const { return m_pixels.empty() ? nullptr : m_pixels.data(); }

    /// Turns the image upside down.
    void flipVertically();
    /// Mirrors the image left to right.
    void flipHorizontally();

private:
    /// Lets the loaders hand over decoded pixels without copying them.
    friend struct ImagePixelsAccess;

    Vector2u m_size;
    std::vector<std::uint8_t> m_pixels;
};
} // namespace mivra
