#include "ImageDecoder.hpp"

#include <cstring>

namespace mivra::detail
{
bool acceptImageSize(std::uint64_t width, std::uint64_t height, std::string& error)
{
    if (width == 0 || height == 0)
    {
        error = "the image has no pixels";
        return false;
    }
    if (width > maxImageSide || height > maxImageSide || width * height > maxImagePixels)
    {
        error = "the image is too large (" + std::to_string(width) + " x " + std::to_string(height) + " pixels)";
        return false;
    }
    return true;
}

bool decodeImage(const std::uint8_t* data, std::size_t size, DecodedImage& image, std::string& error)
{
    static constexpr std::uint8_t pngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (!data || size == 0)
    {
        error = "no data";
        return false;
    }
    if (size >= sizeof pngSignature && std::memcmp(data, pngSignature, sizeof pngSignature) == 0)
        return decodePng(data, size, image, error);
    if (size >= 3 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff)
        return decodeJpeg(data, size, image, error);
    // BMP starts with "BM"; TGA has no signature at all, so it is what is left.
    return decodeBmpOrTga(data, size, image, error);
}
} // namespace mivra::detail
