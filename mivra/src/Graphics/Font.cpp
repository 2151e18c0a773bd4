#include <mivra/Graphics/Font.hpp>
#include <mivra/Graphics/Texture.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/System/Exception.hpp>

#include "System/detail/FileReading.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_OUTLINE_H
#include FT_BITMAP_H
#include FT_STROKER_H

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace mivra
{
namespace
{
// Empty pixels around every glyph in the atlas, so smooth sampling never picks up a neighbour.
constexpr unsigned int GlyphPadding = 2;
constexpr unsigned int InitialPageSize = 128;
// Larger atlases are possible, but a page this big means something is wrong with the sizes asked.
constexpr unsigned int MaximumPageSize = 8192;
// Font files larger than this are refused before they are read; the largest CJK collections take
// about half of it.
constexpr std::uint64_t MaximumFontFileSize = 256 * 1024 * 1024;

std::uint64_t glyphKey(char32_t codePoint, bool bold, float outlineThickness)
{
    return (static_cast<std::uint64_t>(std::bit_cast<std::uint32_t>(outlineThickness)) << 32) |
           (bold ? 0x80000000u : 0u) | static_cast<std::uint32_t>(codePoint);
}

struct Row
{
    unsigned int top;
    unsigned int height;
    unsigned int width{0};
};

// The glyphs of one character size, packed into one atlas kept in memory and uploaded when drawn.
struct Page
{
    Page()
    {
        pixels.assign(static_cast<std::size_t>(size.x) * size.y * 4, 255);
        for (std::size_t i = 3; i < pixels.size(); i += 4)
            pixels[i] = 0;
        // A small opaque square at the top left serves underlines and strike-throughs.
        for (unsigned y = 0; y < 2; ++y)
            for (unsigned x = 0; x < 2; ++x)
                pixels[(y * size.x + x) * 4 + 3] = 255;
        markDirty(0, 2);
    }

    void markDirty(unsigned int top, unsigned int bottom)
    {
        dirtyTop = std::min(dirtyTop, top);
        dirtyBottom = std::max(dirtyBottom, bottom);
    }

    std::unordered_map<std::uint64_t, Glyph> glyphs;
    Vector2u size{InitialPageSize, InitialPageSize};
    std::vector<std::uint8_t> pixels;
    std::vector<Row> rows;
    unsigned int nextRow{3};
    unsigned int dirtyTop{~0u};
    unsigned int dirtyBottom{0};
    std::unique_ptr<Texture> texture;
};
} // namespace

struct Font::Impl
{
    ~Impl()
    {
        if (stroker)
            FT_Stroker_Done(stroker);
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }

    bool setCurrentSize(unsigned int characterSize)
    {
        if (currentSize == characterSize)
            return true;
        if (characterSize == 0) // nothing to render, and nothing worth a message per glyph
            return false;
        if (FT_Set_Pixel_Sizes(face, 0, characterSize) != 0)
        {
            reportDiagnostic("cannot set the font size " + std::to_string(characterSize), info.family);
            return false;
        }
        currentSize = characterSize;
        return true;
    }

    Page& page(unsigned int characterSize) { return pages[characterSize]; }

    // Reads a font file and opens it from its bytes; why it failed, if it did.
    std::optional<std::string> openFile(const std::filesystem::path& filename);
    // Opens the face from the bytes of a font file, which the face keeps; why it failed, if it did.
    std::optional<std::string> openBytes(std::vector<FT_Byte> fileBytes);

    IntRect findGlyphRect(Page& page, Vector2u size);
    Glyph loadGlyph(Page& page, char32_t codePoint, unsigned int characterSize, bool bold, float outlineThickness);

    std::vector<FT_Byte> bytes; // the font file, which FreeType reads for as long as the face lives
    FT_Library library{};
    FT_Face face{};
    FT_Stroker stroker{};
    Info info;
    bool smooth{true};
    unsigned int currentSize{0};
    std::map<unsigned int, Page> pages;
};

std::optional<std::string> Font::Impl::openFile(const std::filesystem::path& filename)
{
    detail::FileContents file = detail::readWholeFile(filename, MaximumFontFileSize);
    if (!file)
        return file.failure;
    return openBytes(std::move(file.bytes));
}

IntRect Font::Impl::findGlyphRect(Page& page, Vector2u size)
{
    // Take the fullest row whose height suits the glyph (not much taller than needed).
    Row* row = nullptr;
    float bestRatio = 0.f;
    for (Row& r : page.rows)
    {
        const float ratio = static_cast<float>(size.y) / static_cast<float>(r.height);
        if (ratio < 0.7f || ratio > 1.f || size.x > page.size.x - r.width || ratio < bestRatio)
            continue;
        row = &r;
        bestRatio = ratio;
    }

    if (!row)
    {
        const unsigned int rowHeight = size.y + size.y / 10;
        while (page.nextRow + rowHeight >= page.size.y || size.x >= page.size.x)
        {
            if (page.size.x * 2 > MaximumPageSize || page.size.y * 2 > MaximumPageSize)
            {
                reportDiagnostic("cannot add a glyph to the font atlas", info.family, "atlas full");
                return {};
            }
            // Grow both ways; glyphs keep their pixel positions, so cached texture rectangles hold.
            const Vector2u newSize = page.size * 2u;
            std::vector<std::uint8_t> pixels(static_cast<std::size_t>(newSize.x) * newSize.y * 4, 255);
            for (std::size_t i = 3; i < pixels.size(); i += 4)
                pixels[i] = 0;
            for (unsigned int y = 0; y < page.size.y; ++y)
                std::copy_n(&page.pixels[static_cast<std::size_t>(y) * page.size.x * 4], page.size.x * 4,
                            &pixels[static_cast<std::size_t>(y) * newSize.x * 4]);
            page.pixels = std::move(pixels);
            page.size = newSize;
            page.markDirty(0, newSize.y);
        }
        page.rows.push_back({page.nextRow, rowHeight});
        page.nextRow += rowHeight;
        row = &page.rows.back();
    }

    const IntRect rect({static_cast<int>(row->width), static_cast<int>(row->top)},
                       {static_cast<int>(size.x), static_cast<int>(size.y)});
    row->width += size.x;
    return rect;
}

Glyph Font::Impl::loadGlyph(Page& page, char32_t codePoint, unsigned int characterSize, bool bold,
                            float outlineThickness)
{
    Glyph glyph;
    if (!setCurrentSize(characterSize))
        return glyph;

    // FreeType takes the thickness in fixed point; one wider than the atlas could not be shown anyway.
    if (!std::isfinite(outlineThickness) || std::abs(outlineThickness) > static_cast<float>(MaximumPageSize))
        return glyph;

    FT_Int32 flags = FT_LOAD_TARGET_NORMAL | FT_LOAD_FORCE_AUTOHINT;
    if (outlineThickness != 0.f)
        flags |= FT_LOAD_NO_BITMAP;
    if (FT_Load_Char(face, codePoint, flags) != 0)
        return glyph;

    FT_Glyph glyphDesc{};
    if (FT_Get_Glyph(face->glyph, &glyphDesc) != 0)
        return glyph;

    const FT_Pos weight = 1 << 6; // one pixel in 26.6
    const bool outline = glyphDesc->format == FT_GLYPH_FORMAT_OUTLINE;
    if (outline)
    {
        if (bold)
            FT_Outline_Embolden(&reinterpret_cast<FT_OutlineGlyph>(glyphDesc)->outline, weight);
        if (outlineThickness != 0.f)
        {
            FT_Stroker_Set(stroker, static_cast<FT_Fixed>(outlineThickness * 64.f), FT_STROKER_LINECAP_ROUND,
                           FT_STROKER_LINEJOIN_ROUND, 0);
            if (FT_Glyph_Stroke(&glyphDesc, stroker, true) != 0)
            {
                FT_Done_Glyph(glyphDesc);
                return glyph;
            }
        }
    }

    // A glyph larger than the largest atlas page could never be placed: refuse it before FreeType
    // allocates its bitmap (a huge character size would take gigabytes).
    FT_BBox box{};
    FT_Glyph_Get_CBox(glyphDesc, FT_GLYPH_BBOX_PIXELS, &box);
    if (box.xMax - box.xMin > static_cast<FT_Pos>(MaximumPageSize) ||
        box.yMax - box.yMin > static_cast<FT_Pos>(MaximumPageSize))
    {
        reportDiagnostic("cannot add a glyph to the font atlas", info.family, "the glyph is larger than an atlas page");
        FT_Done_Glyph(glyphDesc);
        return glyph;
    }

    // On failure the glyph is left as it was, an outline: reading it as a bitmap would read past it.
    if (FT_Glyph_To_Bitmap(&glyphDesc, smooth ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO, nullptr, true) != 0 ||
        glyphDesc->format != FT_GLYPH_FORMAT_BITMAP)
    {
        FT_Done_Glyph(glyphDesc);
        return glyph;
    }
    auto* bitmapGlyph = reinterpret_cast<FT_BitmapGlyph>(glyphDesc);
    FT_Bitmap& bitmap = bitmapGlyph->bitmap;
    if (!outline && bold)
        FT_Bitmap_Embolden(library, &bitmap, weight, weight);

    FT_Pos advance = face->glyph->metrics.horiAdvance;
    if (bold)
        advance += weight;
    glyph.advance = std::round(static_cast<float>(advance) / 64.f);
    glyph.lsbDelta = static_cast<int>(face->glyph->lsb_delta);
    glyph.rsbDelta = static_cast<int>(face->glyph->rsb_delta);

    const unsigned int width = bitmap.width;
    const unsigned int height = bitmap.rows;
    if (width > 0 && height > 0)
    {
        IntRect rect = findGlyphRect(page, {width + 2 * GlyphPadding, height + 2 * GlyphPadding});
        if (rect.size.x > 0)
        {
            rect.position += Vector2i(GlyphPadding, GlyphPadding);
            rect.size = Vector2i(static_cast<int>(width), static_cast<int>(height));
            glyph.textureRect = rect;
            glyph.bounds = FloatRect({static_cast<float>(bitmapGlyph->left), static_cast<float>(-bitmapGlyph->top)},
                                     {static_cast<float>(width), static_cast<float>(height)});

            const std::uint8_t* source = bitmap.buffer;
            for (unsigned int y = 0; y < height; ++y)
            {
                std::uint8_t* dest =
                    &page.pixels[(static_cast<std::size_t>(rect.position.y + static_cast<int>(y)) * page.size.x +
                                  static_cast<std::size_t>(rect.position.x)) *
                                 4];
                for (unsigned int x = 0; x < width; ++x)
                {
                    std::uint8_t alpha;
                    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                        alpha = ((source[x / 8] >> (7 - (x % 8))) & 1) ? 255 : 0;
                    else
                        alpha = source[x];
                    dest[x * 4 + 3] = alpha;
                }
                source += bitmap.pitch;
            }
            page.markDirty(static_cast<unsigned>(rect.position.y), static_cast<unsigned>(rect.position.y) + height);
        }
    }

    FT_Done_Glyph(glyphDesc);
    return glyph;
}

Font::Font() = default;

std::optional<std::string> Font::Impl::openBytes(std::vector<FT_Byte> fileBytes)
{
    if (fileBytes.empty())
        return "no data";
    if (fileBytes.size() > static_cast<std::size_t>(std::numeric_limits<FT_Long>::max()))
        return "the font is too large";
    bytes = std::move(fileBytes);
    if (FT_Init_FreeType(&library) != 0)
        return "FreeType cannot start";
    if (FT_New_Memory_Face(library, bytes.data(), static_cast<FT_Long>(bytes.size()), 0, &face) != 0)
        return "not a font file FreeType can read";
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0)
        return "the font has no Unicode character map";
    if (!FT_IS_SCALABLE(face))
        return "the font is not scalable";
    if (FT_Stroker_New(library, &stroker) != 0)
        return "FreeType cannot make an outline stroker";
    info.family = face->family_name ? face->family_name : "";
    return std::nullopt;
}

Font::Font(const std::filesystem::path& filename)
{
    auto impl = std::make_unique<Impl>();
    if (auto reason = impl->openFile(filename))
        throw Exception("cannot load the font", filename.string(), *reason);
    m_impl = std::move(impl);
}

bool Font::openFromMemory(const void* data, std::size_t size)
{
    auto impl = std::make_unique<Impl>();
    // FreeType reads the face's tables lazily, for as long as the face lives: it gets its own copy.
    const auto* bytes = static_cast<const FT_Byte*>(data);
    if (auto reason = impl->openBytes(data ? std::vector<FT_Byte>(bytes, bytes + size) : std::vector<FT_Byte>()))
    {
        reportDiagnostic("cannot load the font", "memory", *reason);
        return false;
    }
    m_impl = std::move(impl);
    return true;
}

Font::~Font() = default;
Font::Font(Font&&) noexcept = default;
Font& Font::operator=(Font&&) noexcept = default;

bool Font::openFromFile(const std::filesystem::path& filename)
{
    auto impl = std::make_unique<Impl>();
    if (auto reason = impl->openFile(filename))
    {
        reportDiagnostic("cannot load the font", filename.string(), *reason);
        return false;
    }
    m_impl = std::move(impl);
    return true;
}

const Font::Info& Font::getInfo() const
{
    static const Info empty;
    return m_impl ? m_impl->info : empty;
}

bool Font::hasGlyph(char32_t codePoint) const
{
    return m_impl && FT_Get_Char_Index(m_impl->face, codePoint) != 0;
}

const Glyph& Font::getGlyph(char32_t codePoint, unsigned int characterSize, bool bold, float outlineThickness) const
{
    static const Glyph none;
    if (!m_impl)
        return none;
    Page& page = m_impl->page(characterSize);
    const std::uint64_t key = glyphKey(codePoint, bold, outlineThickness);
    if (const auto it = page.glyphs.find(key); it != page.glyphs.end())
        return it->second;
    return page.glyphs.emplace(key, m_impl->loadGlyph(page, codePoint, characterSize, bold, outlineThickness))
        .first->second;
}

float Font::getKerning(char32_t first, char32_t second, unsigned int characterSize, bool bold) const
{
    if (!m_impl || first == 0 || second == 0)
        return 0.f;
    const Glyph& firstGlyph = getGlyph(first, characterSize, bold);
    const Glyph& secondGlyph = getGlyph(second, characterSize, bold);
    if (!m_impl->setCurrentSize(characterSize))
        return 0.f;
    FT_Vector kerning{0, 0};
    if (FT_HAS_KERNING(m_impl->face))
        FT_Get_Kerning(m_impl->face, FT_Get_Char_Index(m_impl->face, first), FT_Get_Char_Index(m_impl->face, second),
                       FT_KERNING_UNFITTED, &kerning);
    // The hinting deltas shift the pair back by what hinting moved their facing sides.
    return std::floor(static_cast<float>(secondGlyph.lsbDelta - firstGlyph.rsbDelta + kerning.x + 32) / 64.f);
}

float Font::getLineSpacing(unsigned int characterSize) const
{
    if (!m_impl || !m_impl->setCurrentSize(characterSize))
        return 0.f;
    return static_cast<float>(m_impl->face->size->metrics.height) / 64.f;
}

float Font::getUnderlinePosition(unsigned int characterSize) const
{
    if (!m_impl || !m_impl->setCurrentSize(characterSize))
        return 0.f;
    return -static_cast<float>(FT_MulFix(m_impl->face->underline_position, m_impl->face->size->metrics.y_scale)) / 64.f;
}

float Font::getUnderlineThickness(unsigned int characterSize) const
{
    if (!m_impl || !m_impl->setCurrentSize(characterSize))
        return 0.f;
    return static_cast<float>(FT_MulFix(m_impl->face->underline_thickness, m_impl->face->size->metrics.y_scale)) / 64.f;
}

const Texture& Font::getTexture(unsigned int characterSize) const
{
    static const Texture none;
    if (!m_impl)
        return none;
    Page& page = m_impl->page(characterSize);
    if (!page.texture)
        page.texture = std::make_unique<Texture>();
    Texture& texture = *page.texture;
    if (texture.getSize() != page.size)
    {
        if (!texture.create(page.size))
            return texture;
        page.markDirty(0, page.size.y);
    }
    if (texture.isSmooth() != m_impl->smooth)
        texture.setSmooth(m_impl->smooth);
    if (page.dirtyTop < page.dirtyBottom)
    {
        const unsigned int bottom = std::min(page.dirtyBottom, page.size.y);
        texture.update(&page.pixels[static_cast<std::size_t>(page.dirtyTop) * page.size.x * 4],
                       {page.size.x, bottom - page.dirtyTop}, {0, page.dirtyTop});
        page.dirtyTop = ~0u;
        page.dirtyBottom = 0;
    }
    return texture;
}

void Font::setSmooth(bool smooth)
{
    // Glyphs already in the atlas keep how they were rendered (texts hold their texture
    // coordinates); the new setting filters the atlas and renders the glyphs loaded from now on.
    if (m_impl)
        m_impl->smooth = smooth;
}

bool Font::isSmooth() const
{
    return m_impl ? m_impl->smooth : true;
}
} // namespace mivra
