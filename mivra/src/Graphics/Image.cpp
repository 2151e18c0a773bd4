#include <mivra/Graphics/Image.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/System/Exception.hpp>

#include "detail/ImageDecoder.hpp"
#include "System/detail/FileReading.hpp"
#include "System/detail/ReplacingFile.hpp"

#include <stb_image_write.h>

#include <algorithm>
#include <cassert>
#include <cctype>
#include <optional>
#include <string>

namespace mivra
{
struct ImagePixelsAccess
{
    static void take(Image& image, detail::DecodedImage& decoded)
    {
        image.m_size = {decoded.width, decoded.height};
        image.m_pixels = std::move(decoded.pixels);
    }
};

namespace
{
std::string lowerExtension(const std::filesystem::path& path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// Decodes `size` bytes into `image`; why it failed, if it did.
std::optional<std::string> decodeInto(const std::uint8_t* data, std::size_t size, Image& image)
{
    detail::DecodedImage decoded;
    std::string error;
    if (!detail::decodeImage(data, size, decoded, error))
        return error;
    ImagePixelsAccess::take(image, decoded);
    return std::nullopt;
}

// The one way an image file is read, for the throwing constructor and for loadFromFile.
std::optional<std::string> loadFile(const std::filesystem::path& filename, Image& image)
{
    const detail::FileContents file = detail::readWholeFile(filename, detail::maxImageFileSize);
    if (!file)
        return file.failure;
    return decodeInto(file.bytes.data(), file.bytes.size(), image);
}

// stb_image_write hands its output here piece by piece.
void appendBytes(void* context, void* data, int size)
{
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* begin = static_cast<const std::uint8_t*>(data);
    bytes->insert(bytes->end(), begin, begin + size);
}
} // namespace

Image::Image(Vector2u size, Color color)
{
    create(size, color);
}

Image::Image(Vector2u size, const std::uint8_t* pixels)
{
    create(size, pixels);
}

Image::Image(const std::filesystem::path& filename)
{
    if (auto reason = loadFile(filename, *this))
        throw Exception("cannot load the image", filename.string(), *reason);
}

void Image::create(Vector2u size, Color color)
{
    if (size.x == 0 || size.y == 0)
    {
        m_size = {};
        m_pixels.clear();
        return;
    }
    m_size = size;
    m_pixels.resize(static_cast<std::size_t>(size.x) * size.y * 4);
    for (std::size_t i = 0; i < m_pixels.size(); i += 4)
    {
        m_pixels[i] = color.r;
        m_pixels[i + 1] = color.g;
        m_pixels[i + 2] = color.b;
        m_pixels[i + 3] = color.a;
    }
}

void Image::create(Vector2u size, const std::uint8_t* pixels)
{
    if (size.x == 0 || size.y == 0 || !pixels)
    {
        m_size = {};
        m_pixels.clear();
        return;
    }
    m_size = size;
    m_pixels.assign(pixels, pixels + static_cast<std::size_t>(size.x) * size.y * 4);
}

bool Image::loadFromFile(const std::filesystem::path& filename)
{
    Image loaded;
    if (auto reason = loadFile(filename, loaded))
    {
        reportDiagnostic("cannot load the image", filename.string(), *reason);
        return false;
    }
    *this = std::move(loaded);
    return true;
}

bool Image::loadFromMemory(const void* data, std::size_t size)
{
    if (auto reason = decodeInto(static_cast<const std::uint8_t*>(data), size, *this))
    {
        reportDiagnostic("cannot load the image from memory", {}, *reason);
        return false;
    }
    return true;
}

bool Image::saveToFile(const std::filesystem::path& filename) const
{
    if (m_pixels.empty())
    {
        reportDiagnostic("cannot save the image", filename.string(), "the image is empty");
        return false;
    }
    const int w = static_cast<int>(m_size.x);
    const int h = static_cast<int>(m_size.y);
    const std::string ext = lowerExtension(filename);
    // Encoded in memory first, so that the file is written with every write checked and only
    // replaces the old one once whole.
    std::vector<std::uint8_t> encoded;
    int ok = 0;
    if (ext == ".png")
        ok = stbi_write_png_to_func(appendBytes, &encoded, w, h, 4, m_pixels.data(), w * 4);
    else if (ext == ".bmp")
        ok = stbi_write_bmp_to_func(appendBytes, &encoded, w, h, 4, m_pixels.data());
    else if (ext == ".tga")
        ok = stbi_write_tga_to_func(appendBytes, &encoded, w, h, 4, m_pixels.data());
    else if (ext == ".jpg" || ext == ".jpeg")
        ok = stbi_write_jpg_to_func(appendBytes, &encoded, w, h, 4, m_pixels.data(), 90);
    else
    {
        reportDiagnostic("cannot save the image", filename.string(), "unsupported format \"" + ext + "\"");
        return false;
    }
    if (!ok || encoded.empty())
    {
        reportDiagnostic("cannot save the image", filename.string(), "cannot encode the image");
        return false;
    }
    detail::ReplacingFile file(filename);
    if (!file.isOpen() || !file.write(encoded.data(), encoded.size()) || !file.commit())
    {
        reportDiagnostic("cannot save the image", filename.string(), file.failure());
        return false;
    }
    return true;
}

Color Image::getPixel(Vector2u coords) const
{
    assert(coords.x < m_size.x && coords.y < m_size.y && "Image::getPixel: coordinates out of range");
    const std::uint8_t* p = &m_pixels[(static_cast<std::size_t>(coords.y) * m_size.x + coords.x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

void Image::setPixel(Vector2u coords, Color color)
{
    assert(coords.x < m_size.x && coords.y < m_size.y && "Image::setPixel: coordinates out of range");
    std::uint8_t* p = &m_pixels[(static_cast<std::size_t>(coords.y) * m_size.x + coords.x) * 4];
    p[0] = color.r;
    p[1] = color.g;
    p[2] = color.b;
    p[3] = color.a;
}

void Image::flipVertically()
{
    const std::size_t rowSize = static_cast<std::size_t>(m_size.x) * 4;
    for (std::size_t top = 0, bottom = m_size.y; top + 1 < bottom; ++top, --bottom)
        std::swap_ranges(m_pixels.begin() + static_cast<std::ptrdiff_t>(top * rowSize),
                         m_pixels.begin() + static_cast<std::ptrdiff_t>((top + 1) * rowSize),
                         m_pixels.begin() + static_cast<std::ptrdiff_t>((bottom - 1) * rowSize));
}

void Image::flipHorizontally()
{
    for (std::size_t y = 0; y < m_size.y; ++y)
    {
        std::uint8_t* row = &m_pixels[y * m_size.x * 4];
        for (std::size_t l = 0, r = m_size.x; l + 1 < r; ++l, --r)
            std::swap_ranges(row + l * 4, row + l * 4 + 4, row + (r - 1) * 4);
    }
}
} // namespace mivra
