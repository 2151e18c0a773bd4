#include "ImageDecoder.hpp"

#include <png.h>

namespace mivra::detail
{
// libpng's simplified interface keeps its error handling (setjmp/longjmp) inside libpng's own
// frames, so a damaged file can only make these calls return zero.
bool decodePng(const std::uint8_t* data, std::size_t size, DecodedImage& image, std::string& error)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, data, size))
    {
        error = std::string("not a readable PNG (") + png.message + ")";
        return false;
    }
    if (!acceptImageSize(png.width, png.height, error))
    {
        png_image_free(&png);
        return false;
    }
    png.format = PNG_FORMAT_RGBA;
    const std::size_t bytes = static_cast<std::size_t>(png.width) * png.height * 4;
    // Not zeroed: a header that lies about the size fails below without touching the pages.
    auto pixels = std::make_unique_for_overwrite<std::uint8_t[]>(bytes);
    if (!png_image_finish_read(&png, nullptr, pixels.get(), 0, nullptr))
    {
        error = std::string("damaged PNG data (") + png.message + ")";
        png_image_free(&png);
        return false;
    }
    image.width = png.width;
    image.height = png.height;
    image.pixels.assign(pixels.get(), pixels.get() + bytes);
    return true;
}
} // namespace mivra::detail
