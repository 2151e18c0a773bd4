#include <mivra/Graphics/Font.hpp>
#include <mivra/Graphics/Text.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/System/Exception.hpp>

#include "../Support/DiagnosticCapture.hpp"
#include "../Support/LoadFailure.hpp"
#include "../Support/TempDir.hpp"
#include "AllocationCounter.hpp"
#include "RenderTestSupport.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace mivra;
using ::testing::AllOf;
using ::testing::HasSubstr;

namespace
{
class FontTextTest : public ::testing::Test
{
protected:
    Font font{test::fontPath()};
};
} // namespace

TEST(FontLoadTest, FailuresThrowWithTheFileAndReason)
{
    const mivra::test::TempDir scratch;
    const std::filesystem::path& dir = scratch.path();
    const auto missing = dir / "missing.ttf";
    EXPECT_THAT(test::loadFailure<Font>(missing), AllOf(HasSubstr(missing.string()), HasSubstr("no such file")));

    const auto corrupt = dir / "corrupt.ttf";
    std::ofstream(corrupt) << "this is not a font, only some text pretending to be one";
    EXPECT_THAT(test::loadFailure<Font>(corrupt), AllOf(HasSubstr(corrupt.string()), HasSubstr("not a font")));

    EXPECT_THROW(Font{dir}, Exception);

    mivra::test::DiagnosticCapture diagnostics;
    Font font;
    EXPECT_FALSE(font.openFromFile(corrupt));
    EXPECT_FALSE(font.isLoaded());
    EXPECT_EQ(diagnostics.take(), std::vector<std::string>{"mivra: cannot load the font: " + corrupt.string() +
                                                           ": not a font file FreeType can read"});
    EXPECT_TRUE(font.openFromFile(test::fontPath()));
    EXPECT_EQ(font.getInfo().family, "DejaVu Sans");
}

TEST(FontLoadTest, OpensFromBytesThatMayGoAwayAfterwards)
{
    std::vector<char> bytes;
    {
        std::ifstream in(test::fontPath(), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_GT(bytes.size(), 1000u);
    const Font fromFile(test::fontPath());
    Font font;
    ASSERT_TRUE(font.openFromMemory(bytes.data(), bytes.size()));
    // The caller's bytes are gone before any glyph is rendered.
    std::fill(bytes.begin(), bytes.end(), '\0');
    bytes.clear();
    bytes.shrink_to_fit();
    EXPECT_EQ(font.getInfo().family, "DejaVu Sans");
    const Glyph& glyph = font.getGlyph(U'g', 30, true, 1.5f);
    const Glyph& expected = fromFile.getGlyph(U'g', 30, true, 1.5f);
    EXPECT_EQ(glyph.advance, expected.advance);
    EXPECT_EQ(glyph.bounds, expected.bounds);
    EXPECT_GT(glyph.bounds.size.x, 0.f);

    mivra::test::DiagnosticCapture diagnostics;
    const std::string junk = "this is not a font either";
    EXPECT_FALSE(font.openFromMemory(junk.data(), junk.size()));
    EXPECT_FALSE(font.openFromMemory(nullptr, 0));
    const std::vector<std::string> lines = diagnostics.take();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "mivra: cannot load the font: memory: not a font file FreeType can read");
    EXPECT_EQ(font.getInfo().family, "DejaVu Sans"); // unchanged
}

TEST_F(FontTextTest, MetricsScaleWithTheSize)
{
    const float small = font.getLineSpacing(20);
    const float large = font.getLineSpacing(40);
    EXPECT_GT(small, 20.f); // DejaVu's line height is about 1.16 em
    EXPECT_LT(small, 26.f);
    EXPECT_NEAR(large, 2 * small, 2.f);
    EXPECT_GT(font.getUnderlinePosition(30), 0.f); // below the baseline
    EXPECT_GT(font.getUnderlineThickness(30), 0.f);
    EXPECT_TRUE(font.hasGlyph(U'A'));
    EXPECT_FALSE(font.hasGlyph(U'\U0010FFFD'));
}

TEST_F(FontTextTest, GlyphsAreCachedPerSizeBoldAndOutline)
{
    const Glyph& a = font.getGlyph(U'A', 30, false);
    EXPECT_EQ(&a, &font.getGlyph(U'A', 30, false));
    EXPECT_GT(a.advance, 15.f);
    EXPECT_GT(a.textureRect.size.x, 0);
    // The glyph box of a capital sits on the baseline and reaches up about 0.73 em.
    EXPECT_NEAR(a.bounds.position.y + a.bounds.size.y, 0.f, 1.f);
    EXPECT_NEAR(-a.bounds.position.y, 22.f, 2.f);

    const Glyph& bold = font.getGlyph(U'A', 30, true);
    EXPECT_NE(&a, &bold);
    EXPECT_EQ(bold.advance, a.advance + 1.f);

    const Glyph& outlined = font.getGlyph(U'A', 30, false, 2.f);
    EXPECT_NE(&a, &outlined);
    EXPECT_NEAR(outlined.bounds.size.x, a.bounds.size.x + 4.f, 1.5f);
    EXPECT_NEAR(outlined.bounds.size.y, a.bounds.size.y + 4.f, 1.5f);
    // Glyphs of one size never overlap in the atlas.
    EXPECT_FALSE(a.textureRect.findIntersection(outlined.textureRect).has_value());
    EXPECT_FALSE(a.textureRect.findIntersection(bold.textureRect).has_value());

    const Glyph& big = font.getGlyph(U'A', 60, false);
    EXPECT_NEAR(big.advance, 2 * a.advance, 2.f);
}

// A glyph larger than an atlas page could never be placed: it is refused with one line before
// FreeType renders it (at 20000 pixels that took a bitmap of hundreds of megabytes first). An
// outline thickness FreeType cannot take gives an empty glyph rather than undefined arithmetic.
TEST_F(FontTextTest, GlyphsTooLargeForTheAtlasAndUnusableOutlinesGiveEmptyGlyphs)
{
    mivra::test::DiagnosticCapture diagnostics;
    const Glyph& huge = font.getGlyph(U'W', 20000, false);
    EXPECT_EQ(huge.textureRect, IntRect());
    EXPECT_EQ(diagnostics.take(), std::vector<std::string>{"mivra: cannot add a glyph to the font atlas: DejaVu Sans: "
                                                           "the glyph is larger than an atlas page"});

    for (const float thickness :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 1e30f})
    {
        const Glyph& glyph = font.getGlyph(U'A', 30, false, thickness);
        EXPECT_EQ(glyph.textureRect, IntRect()) << thickness;
    }
    EXPECT_TRUE(diagnostics.take().empty());
    // The font still renders what it can.
    EXPECT_GT(font.getGlyph(U'W', 30, false).textureRect.size.x, 0);
}

TEST_F(FontTextTest, AtlasGrowthKeepsEarlierGlyphs)
{
    const Glyph first = font.getGlyph(U'Q', 48, false);
    // Enough glyphs to outgrow the first atlas several times over.
    for (char32_t c = 0x20; c < 0x180; ++c)
        (void)font.getGlyph(c, 48, false);
    const Glyph& again = font.getGlyph(U'Q', 48, false);
    EXPECT_EQ(again.textureRect, first.textureRect);
    EXPECT_EQ(again.bounds, first.bounds);
}

TEST_F(FontTextTest, TextBoundsAndLineSpacing)
{
    Text text(font, "A", 30);
    const FloatRect one = text.getLocalBounds();
    const Glyph& a = font.getGlyph(U'A', 30, false);
    EXPECT_FLOAT_EQ(one.position.y, 30.f + a.bounds.position.y); // baseline 30 below the top
    EXPECT_FLOAT_EQ(one.size.y, a.bounds.size.y);

    text.setString("A\nA");
    const float lineSpacing = font.getLineSpacing(30);
    EXPECT_FLOAT_EQ(text.getLocalBounds().size.y, lineSpacing + one.size.y);
    text.setLineSpacing(2.f);
    EXPECT_FLOAT_EQ(text.getLocalBounds().size.y, 2 * lineSpacing + one.size.y);
    text.setLineSpacing(1.f);

    text.setString("Hello");
    const FloatRect hello = text.getLocalBounds();
    text.setLetterSpacing(3.f);
    EXPECT_GT(text.getLocalBounds().size.x, hello.size.x + 10.f);
    text.setLetterSpacing(1.f);

    text.setPosition({380.f, 260.f});
    const FloatRect global = text.getGlobalBounds();
    EXPECT_FLOAT_EQ(global.position.x, hello.position.x + 380.f);
    EXPECT_FLOAT_EQ(global.position.y, hello.position.y + 260.f);

    text.setOutlineThickness(2.f);
    EXPECT_FLOAT_EQ(text.getLocalBounds().size.x, hello.size.x + 4.f);
    text.setOutlineThickness(0.f);

    text.setStyle(Text::Bold);
    EXPECT_GT(text.getLocalBounds().size.x, hello.size.x);

    text.setString("");
    EXPECT_EQ(text.getLocalBounds(), FloatRect());

    // Size zero draws nothing, quietly.
    text.setString("Hello");
    text.setCharacterSize(0);
    mivra::test::DiagnosticCapture diagnostics;
    EXPECT_EQ(text.getLocalBounds().size, Vector2f(0.f, 0.f));
    EXPECT_TRUE(diagnostics.take().empty());
}

TEST_F(FontTextTest, CharacterPositions)
{
    Text text(font, "Hi\nyou", 20);
    text.setPosition({50.f, 50.f});
    EXPECT_EQ(text.findCharacterPos(0), Vector2f(50.f, 50.f));
    const float afterH = font.getGlyph(U'H', 20, false).advance + font.getKerning(U'H', U'i', 20);
    EXPECT_FLOAT_EQ(text.findCharacterPos(1).x, 50.f + afterH);
    EXPECT_EQ(text.findCharacterPos(3), Vector2f(50.f, 50.f + font.getLineSpacing(20)));
    // Past the end: where the next character would go.
    EXPECT_EQ(text.findCharacterPos(100), text.findCharacterPos(6));
    EXPECT_GT(text.findCharacterPos(6).x, 50.f);
}

TEST_F(FontTextTest, RestringingToTheSameLengthAllocatesNothing)
{
    Text line(font, "Mouse Moved: (412, 37)", 20);
    const String moves[] = {String("Mouse Moved: (413, 38)"), String("Mouse Moved: (99, 100)"),
                            String("Mouse Moved: (0, 12345)")};
    // First pass renders every glyph once.
    for (const String& s : moves)
    {
        line.setString(s);
        (void)line.getLocalBounds();
    }
    {
        // The counter itself sees allocations.
        test::AllocationCounter probe;
        const Text other(font, String("a string far too long for any small-string buffer"), 20);
        EXPECT_GT(probe.count(), 0u);
    }
    test::AllocationCounter counter;
    for (int frame = 0; frame < 3; ++frame)
        for (const String& s : moves)
        {
            line.setString(s);
            (void)line.getLocalBounds();
            (void)line.findCharacterPos(5);
        }
    EXPECT_EQ(counter.count(), 0u);
}
