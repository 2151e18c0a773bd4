// Image decoding of any bytes, in every format Image reads. A success must give a whole image of a
// sane size; the pixels are all read so that the sanitizers see any that were never written. A
// failure must leave the image that was loaded before exactly as it was.
#include <mivra/Graphics/Image.hpp>
#include <mivra/System/Diagnostics.hpp>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool silenced = (mivra::setDiagnosticHandler({}), true);
    (void)silenced;
    const mivra::Color before(12, 34, 56, 78);
    mivra::Image image({3, 2}, before);
    image.setPixel({2, 1}, mivra::Color::Red);
    if (!image.loadFromMemory(data, size))
    {
        if (image.getSize() != mivra::Vector2u(3, 2) || image.getPixel({0, 0}) != before ||
            image.getPixel({2, 1}) != mivra::Color::Red)
            std::abort();
        return 0;
    }
    const mivra::Vector2u imageSize = image.getSize();
    if (imageSize.x == 0 || imageSize.y == 0 || image.getPixelsPtr() == nullptr)
        std::abort();
    const std::uint8_t* pixels = image.getPixelsPtr();
    unsigned sum = 0;
    for (std::size_t i = 0, n = static_cast<std::size_t>(imageSize.x) * imageSize.y * 4; i < n; ++i)
        sum += pixels[i];
    // Branching on the sum makes MemorySanitizer-style checks in ASan builds see uninitialised reads.
    if (sum == 0xffffffffu)
        std::abort();
    return 0;
}
