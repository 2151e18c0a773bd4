#include "ImageDecoder.hpp"

#include <cstdlib>
#include <cstring>

// A private copy of the decoder, limited to the two uncompressed formats that Image also writes:
// the system's shared build carries every format stb knows, some of them with known memory faults.
// Zeroed allocations keep a short file from showing leftover heap contents in its missing rows.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#define STBI_MAX_DIMENSIONS 16384
#define STBI_MALLOC(size) std::calloc(1, size)
#define STBI_REALLOC(pointer, size) std::realloc(pointer, size)
#define STBI_FREE(pointer) std::free(pointer)
#include <stb_image.h>

namespace mivra::detail
{
static_assert(STBI_MAX_DIMENSIONS == maxImageSide);

bool decodeBmpOrTga(const std::uint8_t* data, std::size_t size, DecodedImage& image, std::string& error)
{
    if (size > 0x7fffffff)
    {
        error = "the file is too large";
        return false;
    }
    const int length = static_cast<int>(size);
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!stbi_info_from_memory(data, length, &width, &height, &channels))
    {
        error = "not an image in a format this library reads (PNG, JPEG, BMP or TGA)";
        return false;
    }
    if (!acceptImageSize(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height), error))
        return false;
    // These decoders read zeros past the end of the data and go on, so a cut file would load with
    // black rows, and a few bytes claiming millions of pixels would cost a full decode. A BMP packs
    // at most 8 pixels in a byte (1 bit each), an uncompressed TGA at most one, and a run-length TGA
    // at most 64 (a two-byte packet repeats one pixel 128 times).
    const bool bmp = data[0] == 'B' && data[1] == 'M';
    const bool uncompressedTga = !bmp && data[2] >= 1 && data[2] <= 3;
    const std::uint64_t pixelsPerByte = bmp ? 8 : uncompressedTga ? 1 : 64;
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > pixelsPerByte * size)
    {
        error = "the file is cut short: " + std::to_string(size) + " bytes cannot hold " + std::to_string(width) +
                " x " + std::to_string(height) + " pixels";
        return false;
    }
    stbi_uc* pixels = stbi_load_from_memory(data, length, &width, &height, &channels, STBI_rgb_alpha);
    if (!pixels)
    {
        error = std::string("damaged image data (") + stbi_failure_reason() + ")";
        return false;
    }
    // The header was read twice; a second look must agree with the first before the size is used.
    if (!acceptImageSize(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height), error))
    {
        stbi_image_free(pixels);
        return false;
    }
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    image.width = static_cast<std::uint32_t>(width);
    image.height = static_cast<std::uint32_t>(height);
    image.pixels.assign(pixels, pixels + bytes);
    stbi_image_free(pixels);
    return true;
}
} // namespace mivra::detail
