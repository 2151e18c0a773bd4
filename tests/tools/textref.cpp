// Draws texts with FreeType alone, without any of the library, into a PNG: the reference images in
// tests/references/, which the library's own text path (mivra-textshot, the tool the end-to-end
// screenshot checks draw their expected texts with) must reproduce. Its arguments are
// mivra-textshot's, so that both draw the same picture from the same command line:
//
//   mivra-textref <out.png> <width> <height> <r,g,b background>
//                 [<font> <size> <regular|bold> <r,g,b,a fill> <x> <y> <utf-8 text>]...
//
// To regenerate the references (after a change of the font, of FreeType, or of the cases, and
// never to make a failing comparison pass), build this tool and run
//   /usr/bin/python3 tests/references/text_references.py --regenerate <build dir>
// which calls it once per case with the font the programs use, then commit the PNGs.
//
// A text is laid out as mivra::Text promises, written here from that promise and not from the
// library's code:
// - the glyphs are FreeType's, loaded as the library loads them: the face's Unicode map, the
//   character size as a pixel size (FT_Set_Pixel_Sizes), the auto-hinter (FT_LOAD_FORCE_AUTOHINT)
//   with the normal target, rendered in 8-bit grey (FT_RENDER_MODE_NORMAL);
// - the pen starts at the text's position, the first baseline `size` pixels below it, and moves by
//   each glyph's advance rounded to whole pixels; a space moves it by the space's advance, a tab
//   by four of them, a line break starts a new line at the left, the face's line height lower;
// - between two characters of a line the pen moves by their kerning (the font's kern table,
//   unfitted) corrected by what hinting moved their facing sides (the second glyph's lsb_delta
//   minus the first's rsb_delta), all in 26.6 units rounded to the nearest pixel;
// - bold emboldens the outline by one pixel (FT_Outline_Embolden, 64 in 26.6 units) and widens
//   the advance by one pixel;
// - each glyph's grey levels are its coverage, and the fill colour is laid over what is beneath
//   with that coverage (times the fill's alpha) as opacity, one glyph after the other.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace
{
struct Rgba
{
    int r, g, b, a;
};

Rgba color(const std::string& text)
{
    int v[4] = {0, 0, 0, 255};
    std::size_t start = 0;
    for (int i = 0; i < 4 && start <= text.size(); ++i)
    {
        const std::size_t comma = text.find(',', start);
        v[i] = std::atoi(text.substr(start, comma - start).c_str());
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return {v[0], v[1], v[2], v[3]};
}

// UTF-8 to code points; the texts are our own, so a malformed sequence is simply skipped.
std::vector<char32_t> codePoints(const std::string& text)
{
    std::vector<char32_t> result;
    for (std::size_t i = 0; i < text.size();)
    {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (int k = 1; k < length && i + static_cast<std::size_t>(k) < text.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3F);
        result.push_back(c);
        i += static_cast<std::size_t>(length);
    }
    return result;
}

class Canvas
{
public:
    Canvas(int width, int height, Rgba background)
        : m_width(width), m_height(height), m_pixels(static_cast<std::size_t>(width) * height * 4)
    {
        for (std::size_t i = 0; i < m_pixels.size(); i += 4)
        {
            m_pixels[i] = static_cast<std::uint8_t>(background.r);
            m_pixels[i + 1] = static_cast<std::uint8_t>(background.g);
            m_pixels[i + 2] = static_cast<std::uint8_t>(background.b);
            m_pixels[i + 3] = 255;
        }
    }

    // Lays the fill over one pixel with the given coverage (0 to 255).
    void blend(int x, int y, Rgba fill, int coverage)
    {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height || coverage == 0)
            return;
        const double opacity = coverage / 255.0 * fill.a / 255.0;
        std::uint8_t* p = &m_pixels[(static_cast<std::size_t>(y) * m_width + x) * 4];
        const int channels[3] = {fill.r, fill.g, fill.b};
        for (int c = 0; c < 3; ++c)
            p[c] = static_cast<std::uint8_t>(std::lround(channels[c] * opacity + p[c] * (1.0 - opacity)));
    }

    bool save(const std::string& path) const
    {
        return stbi_write_png(path.c_str(), m_width, m_height, 4, m_pixels.data(), m_width * 4) != 0;
    }

private:
    int m_width;
    int m_height;
    std::vector<std::uint8_t> m_pixels;
};

struct LoadedGlyph
{
    long advance;  // whole pixels
    long lsbDelta; // 26.6
    long rsbDelta; // 26.6
};

constexpr FT_Pos BoldStrength = 64; // one pixel in 26.6

// Loads a character at the face's current size and draws it with its origin at (penX, baseline)
// when a canvas is given.
bool loadGlyph(FT_Face face, char32_t c, bool bold, LoadedGlyph& glyph, Canvas* canvas = nullptr, long penX = 0,
               long baseline = 0, Rgba fill = {})
{
    if (FT_Load_Char(face, c, FT_LOAD_TARGET_NORMAL | FT_LOAD_FORCE_AUTOHINT) != 0)
        return false;
    FT_GlyphSlot slot = face->glyph;
    glyph.lsbDelta = slot->lsb_delta;
    glyph.rsbDelta = slot->rsb_delta;
    glyph.advance = std::lround(static_cast<double>(slot->metrics.horiAdvance + (bold ? BoldStrength : 0)) / 64.0);
    if (!canvas)
        return true;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE && bold && FT_Outline_Embolden(&slot->outline, BoldStrength) != 0)
        return false;
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
        return false;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.rows > 0)
        return false;
    for (unsigned y = 0; y < bitmap.rows; ++y)
        for (unsigned x = 0; x < bitmap.width; ++x)
            canvas->blend(static_cast<int>(penX + slot->bitmap_left + x),
                          static_cast<int>(baseline - slot->bitmap_top + y), fill,
                          bitmap.buffer[static_cast<long>(y) * bitmap.pitch + x]);
    return true;
}

bool drawText(FT_Library library, Canvas& canvas, const std::string& fontPath, unsigned size, bool bold, Rgba fill,
              long x, long y, const std::string& text)
{
    FT_Face face{};
    if (FT_New_Face(library, fontPath.c_str(), 0, &face) != 0)
    {
        std::cerr << "mivra-textref: cannot open the font " << fontPath << '\n';
        return false;
    }
    bool drawn = FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0 && FT_Set_Pixel_Sizes(face, 0, size) == 0;
    LoadedGlyph space{};
    drawn = drawn && loadGlyph(face, U' ', bold, space);
    const long lineHeight = std::lround(static_cast<double>(face->size->metrics.height) / 64.0);

    long penX = x;
    long baseline = y + static_cast<long>(size);
    char32_t previous = 0;
    LoadedGlyph previousGlyph{};
    for (const char32_t c : codePoints(text))
    {
        if (!drawn)
            break;
        if (c == U'\r')
            continue;
        if (c == U'\n')
        {
            penX = x;
            baseline += lineHeight;
            previous = 0;
            continue;
        }
        LoadedGlyph glyph{};
        if (!loadGlyph(face, c, bold, glyph))
        {
            drawn = false;
            break;
        }
        if (previous != 0)
        {
            FT_Vector kerning{0, 0};
            if (FT_HAS_KERNING(face))
                FT_Get_Kerning(face, FT_Get_Char_Index(face, previous), FT_Get_Char_Index(face, c), FT_KERNING_UNFITTED,
                               &kerning);
            penX += static_cast<long>(std::floor((glyph.lsbDelta - previousGlyph.rsbDelta + kerning.x + 32) / 64.0));
        }
        if (c == U' ')
            penX += space.advance;
        else if (c == U'\t')
            penX += 4 * space.advance;
        else
        {
            drawn = loadGlyph(face, c, bold, glyph, &canvas, penX, baseline, fill);
            penX += glyph.advance;
        }
        previous = c;
        previousGlyph = glyph;
    }
    if (!drawn)
        std::cerr << "mivra-textref: FreeType cannot draw \"" << text << "\" with " << fontPath << '\n';
    FT_Done_Face(face);
    return drawn;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 5 || (argc - 5) % 7 != 0)
    {
        std::cerr << "usage: mivra-textref out.png width height r,g,b [font size style r,g,b,a x y text]...\n";
        return 2;
    }
    const Rgba background = color(argv[4]);
    Canvas canvas(std::atoi(argv[2]), std::atoi(argv[3]), background);
    FT_Library library{};
    if (FT_Init_FreeType(&library) != 0)
    {
        std::cerr << "mivra-textref: FreeType cannot start\n";
        return 1;
    }
    bool drawn = true;
    for (int i = 5; drawn && i + 6 < argc; i += 7)
        drawn = drawText(library, canvas, argv[i], static_cast<unsigned>(std::atoi(argv[i + 1])),
                         std::string(argv[i + 2]) == "bold", color(argv[i + 3]), std::atol(argv[i + 4]),
                         std::atol(argv[i + 5]), argv[i + 6]);
    FT_Done_FreeType(library);
    if (!drawn)
        return 1;
    if (!canvas.save(argv[1]))
    {
        std::cerr << "mivra-textref: cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
