// Font loading from any bytes, then rendering a few glyphs regular, bold and outlined at a few sizes
// and asking for the metrics a text layout uses.
#include <mivra/Graphics/Font.hpp>
#include <mivra/System/Diagnostics.hpp>

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool silenced = (mivra::setDiagnosticHandler({}), true);
    (void)silenced;
    mivra::Font font;
    if (!font.openFromMemory(data, size))
    {
        if (font.isLoaded())
            std::abort();
        return 0;
    }
    const char32_t characters[] = {U'A', U'g', U'%', U'\u00e9', U'\u4e2d'};
    for (const unsigned size : {9u, 30u, 77u})
    {
        for (const char32_t c : characters)
        {
            for (const float outline : {0.f, 1.5f})
            {
                for (const bool bold : {false, true})
                {
                    const mivra::Glyph& glyph = font.getGlyph(c, size, bold, outline);
                    if (glyph.textureRect.size.x < 0 || glyph.textureRect.size.y < 0 || !std::isfinite(glyph.advance))
                        std::abort();
                }
            }
        }
        (void)font.getKerning(U'A', U'V', size);
        (void)font.getLineSpacing(size);
        (void)font.getUnderlinePosition(size);
        (void)font.getUnderlineThickness(size);
    }
    return 0;
}
