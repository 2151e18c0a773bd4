#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mivra::detail
{
// Images larger than this are refused before any pixel memory is taken: a few bytes of header can
// claim gigapixels, and nothing this library draws needs more.
constexpr std::uint32_t maxImageSide = 16384;
constexpr std::uint64_t maxImagePixels = std::uint64_t{1} << 26;
// Image files larger than this are refused before they are read: even uncompressed at 16 bits per
// channel, the largest image accepted takes half of it.
constexpr std::uint64_t maxImageFileSize = std::uint64_t{1} << 30;

struct DecodedImage
{
    std::uint32_t width{};
    std::uint32_t height{};
    // Width * height * 4 bytes, RGBA, rows top to bottom; handed to the Image as it is. Decoders
    // that can grow it row by row do, so that a header claiming more than the data holds fails
    // without touching the memory of the rows that never came.
    std::vector<std::uint8_t> pixels;
};

// Decodes PNG, JPEG, BMP or TGA bytes, chosen by content. On failure returns false and sets error to
// the reason; the bytes can come from anywhere, and no input may do more than fail.
bool decodeImage(const std::uint8_t* data, std::size_t size, DecodedImage& image, std::string& error);

// The decoders behind it, one per library.
bool decodePng(const std::uint8_t* data, std::size_t size, DecodedImage& image, std::string& error);
bool decodeJpeg(const std::uint8_t* data, std::size_t size, DecodedImage& image, std::string& error);
bool decodeBmpOrTga(const std::uint8_t* data, std::size_t size, DecodedImage& image, std::string& error);

// Whether width x height passes the limits above; sets error when not.
bool acceptImageSize(std::uint64_t width, std::uint64_t height, std::string& error);
} // namespace mivra::detail
