#include <mivra/Graphics/Image.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/System/Exception.hpp>

#include "detail/ImageDecoder.hpp"

#include <stb_image_write.h>

#include <algorithm>
#include <cassert>
#include <cctype>
#include <fstream>
#include <iterator>
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
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

bool readWholeFile(const std::filesystem::path& filename, std::vector<std::uint8_t>& bytes)
{
    std::ifstream file(filename, std::ios::binary);
    if (!file)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
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
    std::error_code ec;
    if (!std::filesystem::exists(filename, ec))
        return "no such file";
    if (std::filesystem::is_directory(filename, ec))
        return "is a directory";
    std::vector<std::uint8_t> bytes;
    if (!readWholeFile(filename, bytes))
        return "cannot read the file";
    return decodeInto(bytes.data(), bytes.size(), image);
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
    int ok = 0;
    if (ext == ".png")
        ok = stbi_write_png(filename.c_str(), w, h, 4, m_pixels.data(), w * 4);
    else if (ext == ".bmp")
        ok = stbi_write_bmp(filename.c_str(), w, h, 4, m_pixels.data());
    else if (ext == ".tga")
        ok = stbi_write_tga(filename.c_str(), w, h, 4, m_pixels.data());
    else if (ext == ".jpg" || ext == ".jpeg")
        ok = stbi_write_jpg(filename.c_str(), w, h, 4, m_pixels.data(), 90);
    else
    {
        reportDiagnostic("cannot save the image", filename.string(), "unsupported format \"" + ext + "\"");
        return false;
    }
    if (!ok)
    {
        reportDiagnostic("cannot save the image", filename.string(), "cannot write the file");
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
