// Font loading from any bytes, then rendering a few glyphs regular, bold and outlined and asking for
// the metrics a text layout uses. The input starts with the parameters: three character sizes
// (16 bits each, little-endian, taken modulo 257: a size of a thousand pixels costs a second a run,
// and glyphs too large for the atlas are covered by the unit tests) and an outline thickness (a
// 32-bit float: values the font refuses, non-finite or wider than an atlas page, as they are; the
// others taken modulo 32, for the same reason); the font file follows. A failed load must leave the font loaded
// before as it was.
#include <mivra/Graphics/Font.hpp>
#include <mivra/System/Diagnostics.hpp>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace
{
constexpr std::size_t ParameterBytes = 10;

// The font file of a seed input, past its parameters.
const std::vector<char>& knownFont()
{
    static const std::vector<char> bytes = [] {
        std::ifstream in(MIVRA_FUZZ_KNOWN_FONT, std::ios::binary);
        std::vector<char> input(std::istreambuf_iterator<char>(in), {});
        if (input.size() <= ParameterBytes)
            std::abort();
        return std::vector<char>(input.begin() + ParameterBytes, input.end());
    }();
    return bytes;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool silenced = (mivra::setDiagnosticHandler({}), true);
    (void)silenced;
    if (size < ParameterBytes)
        return 0;
    unsigned sizes[3];
    for (int i = 0; i < 3; ++i)
        sizes[i] = (data[2 * i] | (unsigned{data[2 * i + 1]} << 8)) % 257;
    float outline = 0.f;
    std::memcpy(&outline, data + 6, sizeof outline);
    if (std::isfinite(outline) && std::abs(outline) <= 8192.f)
        outline = std::fmod(outline, 32.f);
    data += ParameterBytes;
    size -= ParameterBytes;

    mivra::Font font;
    if (!font.openFromMemory(knownFont().data(), knownFont().size()))
        std::abort();
    const std::string family = font.getInfo().family;
    const float advance = font.getGlyph(U'A', 20, false).advance;
    if (!font.openFromMemory(data, size))
    {
        if (!font.isLoaded() || font.getInfo().family != family || font.getGlyph(U'A', 20, false).advance != advance)
            std::abort();
        return 0;
    }
    const char32_t characters[] = {U'A', U'g', U'%', U'\u00e9', U'\u4e2d'};
    for (const unsigned characterSize : sizes)
    {
        for (const char32_t c : characters)
        {
            for (const float thickness : {0.f, outline})
            {
                for (const bool bold : {false, true})
                {
                    const mivra::Glyph& glyph = font.getGlyph(c, characterSize, bold, thickness);
                    if (glyph.textureRect.size.x < 0 || glyph.textureRect.size.y < 0 || !std::isfinite(glyph.advance))
                        std::abort();
                }
            }
        }
        (void)font.getKerning(U'A', U'V', characterSize);
        (void)font.getLineSpacing(characterSize);
        (void)font.getUnderlinePosition(characterSize);
        (void)font.getUnderlineThickness(characterSize);
    }
    return 0;
}
