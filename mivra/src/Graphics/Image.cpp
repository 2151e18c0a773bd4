#include <mivra/Graphics/Image.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/System/Exception.hpp>

#include "detail/ImageDecoder.hpp"

#include <stb_image_write.h>

#include <algorithm>
#include <cassert>
#include <cctype>
#include <fstream>
#include <iostream>
#include <iterator>

namespace mivra
{
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
    std::error_code ec;
    if (!std::filesystem::exists(filename, ec))
        throw Exception(filename, "no such file");
    if (std::filesystem::is_directory(filename, ec))
        throw Exception(filename, "is a directory");
    std::vector<std::uint8_t> bytes;
    if (!readWholeFile(filename, bytes))
        throw Exception(filename, "cannot read the file");
    priv::DecodedImage decoded;
    std::string error;
    if (!priv::decodeImage(bytes.data(), bytes.size(), decoded, error))
        throw Exception(filename, error);
    create({decoded.width, decoded.height}, decoded.pixels.get());
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
    try
    {
        *this = Image(filename);
        return true;
    }
    catch (const Exception& e)
    {
        std::cerr << e.what() << std::endl;
        return false;
    }
}

bool Image::loadFromMemory(const void* data, std::size_t size)
{
    priv::DecodedImage decoded;
    std::string error;
    if (!priv::decodeImage(static_cast<const std::uint8_t*>(data), size, decoded, error))
    {
        reportDiagnostic("Failed to load image", "memory", error);
        return false;
    }
    create({decoded.width, decoded.height}, decoded.pixels.get());
    return true;
}

bool Image::saveToFile(const std::filesystem::path& filename) const
{
    if (m_pixels.empty())
    {
        std::cerr << "Failed to save image \"" << filename.string() << "\": the image is empty" << std::endl;
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
        std::cerr << "Failed to save image \"" << filename.string() << "\": unsupported format \"" << ext << "\"" << std::endl;
        return false;
    }
    if (!ok)
    {
        std::cerr << "Failed to save image \"" << filename.string() << "\": cannot write the file" << std::endl;
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
