#pragma once

#include <mivra/Graphics/Glyph.hpp>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace mivra
{
class Texture;

// A TrueType/OpenType font loaded with FreeType. Glyphs are rendered on first use and packed into
// one texture atlas per character size; every later use of the same character, size, boldness and
// outline thickness reads the cache.
class Font
{
public:
    struct Info
    {
        std::string family;
    };

    Font();
    // Loads the file; throws mivra::Exception naming the file and the reason when it cannot.
    explicit Font(const std::filesystem::path& filename);
    ~Font();
    Font(Font&&) noexcept;
    Font& operator=(Font&&) noexcept;
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // On failure prints one line naming the file on stderr and returns false.
    bool openFromFile(const std::filesystem::path& filename);
    // The same from the bytes of a font file, which the font copies. On failure reports one line
    // naming "memory", returns false and leaves the font as it was.
    bool openFromMemory(const void* data, std::size_t size);

    [[nodiscard]] const Info& getInfo() const;
    [[nodiscard]] bool hasGlyph(char32_t codePoint) const;

    // The glyph of the code point; characters the font lacks give its missing-glyph box.
    // The reference stays valid as long as the font lives.
    [[nodiscard]] const Glyph& getGlyph(char32_t codePoint, unsigned int characterSize, bool bold, float outlineThickness = 0.f) const;
    // Horizontal adjustment between two characters, in pixels.
    [[nodiscard]] float getKerning(char32_t first, char32_t second, unsigned int characterSize, bool bold = false) const;
    // Distance between two baselines, in pixels.
    [[nodiscard]] float getLineSpacing(unsigned int characterSize) const;
    // Offset of the underline below the baseline (positive is down), and its thickness.
    [[nodiscard]] float getUnderlinePosition(unsigned int characterSize) const;
    [[nodiscard]] float getUnderlineThickness(unsigned int characterSize) const;

    // The atlas of that size, with every glyph rendered so far. Needs a graphics context.
    [[nodiscard]] const Texture& getTexture(unsigned int characterSize) const;

    void setSmooth(bool smooth);
    [[nodiscard]] bool isSmooth() const;

    [[nodiscard]] bool isLoaded() const { return m_impl != nullptr; }

private:
    struct Impl;

    std::unique_ptr<Impl> m_impl;
};
} // namespace mivra
