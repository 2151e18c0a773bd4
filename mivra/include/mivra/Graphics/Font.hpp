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

/// A TrueType/OpenType font loaded with FreeType. Glyphs are rendered on first use and packed into
/// one texture atlas per character size; every later use of the same character, size, boldness and
/// outline thickness reads the cache.
class Font
{
public:
    /// What the font file says about itself.
    struct Info
    {
        std::string family; ///< The family name, for example "DejaVu Sans"; empty when the font is not loaded.
    };

    /// No font yet; openFromFile() or openFromMemory() loads one.
    Font();
    /// Loads the file as openFromFile() does; throws mivra::Exception, whose what() is the line
    /// openFromFile() would report, when it cannot.
    explicit Font(const std::filesystem::path& filename);
    ~Font();
    /// Takes the other's face and glyph cache; the other is left unloaded.
    ///@{
    Font(Font&&) noexcept;
    Font& operator=(Font&&) noexcept;
    ///@}
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    /// Loads a TrueType or OpenType file. On failure returns false, leaves the font as it was and
    /// reports one line through the diagnostics sink: "mivra: cannot load the font: <file>: <why>".
    bool openFromFile(const std::filesystem::path& filename);
    /// The same from the bytes of a font file, which the font copies. On failure returns false, leaves
    /// the font as it was and reports "mivra: cannot load the font: memory: <why>".
    bool openFromMemory(const void* data, std::size_t size);

    /// What the font says about itself.
    [[nodiscard]] const Info& getInfo() const;
    /// Whether the font has a glyph for the code point.
    [[nodiscard]] bool hasGlyph(char32_t codePoint) const;

    /// The glyph of the code point; characters the font lacks give its missing-glyph box.
    /// The reference stays valid as long as the font lives.
    [[nodiscard]] const Glyph& getGlyph(char32_t codePoint, unsigned int characterSize, bool bold,
                                        float outlineThickness = 0.f) const;
    /// Horizontal adjustment between two characters, in pixels.
    [[nodiscard]] float getKerning(char32_t first, char32_t second, unsigned int characterSize,
                                   bool bold = false) const;
    /// Distance between two baselines, in pixels.
    [[nodiscard]] float getLineSpacing(unsigned int characterSize) const;
    /// Offset of the underline below the baseline (positive is down), and its thickness, in pixels.
    ///@{
    [[nodiscard]] float getUnderlinePosition(unsigned int characterSize) const;
    [[nodiscard]] float getUnderlineThickness(unsigned int characterSize) const;
    ///@}

    /// The atlas of that size, with every glyph rendered so far. Needs a graphics context.
    [[nodiscard]] const Texture& getTexture(unsigned int characterSize) const;

    /// Whether glyphs are anti-aliased and their atlases smoothed (on by default).
    void setSmooth(bool smooth);
    /// Whether glyphs are smoothed.
    [[nodiscard]] bool isSmooth() const;

    /// Whether a font file was loaded.
    [[nodiscard]] bool isLoaded() const { return m_impl != nullptr; }

private:
    struct Impl;

    std::unique_ptr<Impl> m_impl;
};
} // namespace mivra
