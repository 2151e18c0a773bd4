// Drawing on a target whose pixels outnumber its logical ones, as a window on an output at scale 2
// does: a render texture that reports half its size as the logical one stands in for it.

#include <mivra/Graphics/Font.hpp>
#include <mivra/Graphics/RectangleShape.hpp>
#include <mivra/Graphics/Text.hpp>

#include "RenderTestSupport.hpp"

#include <gtest/gtest.h>

using namespace mivra;

namespace
{
class ScaledTexture : public RenderTexture
{
public:
    ScaledTexture(Vector2u logicalSize, Vector2u physicalSize) : m_logical(logicalSize)
    {
        // Made here, not in RenderTexture's constructor, so that its views see the logical size.
        EXPECT_TRUE(resize(physicalSize));
    }
    ScaledTexture(Vector2u logicalSize, unsigned int outputScale)
        : ScaledTexture(logicalSize, logicalSize * outputScale)
    {
    }
    [[nodiscard]] Vector2u getSize() const override { return m_logical; }
    [[nodiscard]] Vector2u getPhysicalSize() const override { return RenderTexture::getSize(); }
    void setOutputScale(unsigned int scale) { ASSERT_TRUE(resize(m_logical * scale)); }

private:
    Vector2u m_logical;
};

// The pixel columns of the image that hold ink (anything but black).
std::pair<unsigned, unsigned> inkColumns(const Image& image)
{
    unsigned first = image.getSize().x;
    unsigned last = 0;
    for (unsigned y = 0; y < image.getSize().y; ++y)
        for (unsigned x = 0; x < image.getSize().x; ++x)
            if (image.getPixel({x, y}).r > 40)
            {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    return {first, last};
}

// Fraction of horizontally neighbouring pixel pairs (2k, 2k+1) on ink edges that are equal: 1 for
// a picture enlarged from half the resolution, well below for one drawn at full resolution.
double doubledColumnFraction(const Image& image)
{
    unsigned edges = 0;
    unsigned doubled = 0;
    for (unsigned y = 0; y < image.getSize().y; ++y)
        for (unsigned x = 0; x + 1 < image.getSize().x; x += 2)
        {
            const std::uint8_t a = image.getPixel({x, y}).r;
            const std::uint8_t b = image.getPixel({x + 1, y}).r;
            if ((a > 0 && a < 255) || (b > 0 && b < 255))
            {
                ++edges;
                doubled += a == b ? 1u : 0u;
            }
        }
    return edges ? static_cast<double>(doubled) / edges : 1.0;
}

class ScaledTargetTest : public test::RenderTest
{
protected:
    Font font{test::fontPath()};
};
} // namespace

TEST_F(ScaledTargetTest, ShapesAndViewsAreLogicalWhileThePixelsArePhysical)
{
    ScaledTexture target({100, 80}, 2);
    EXPECT_EQ(target.getDefaultView().getSize(), Vector2f(100.f, 80.f));
    EXPECT_EQ(target.getViewport(target.getView()), IntRect({0, 0}, {100, 80}));
    EXPECT_NEAR(target.mapPixelToCoords({30, 40}).x, 30.f, 1e-3f);
    EXPECT_NEAR(target.mapPixelToCoords({30, 40}).y, 40.f, 1e-3f);

    target.clear(Color::Black);
    RectangleShape square({20.f, 10.f});
    square.setPosition({10.f, 30.f});
    square.setFillColor(Color::White);
    target.draw(square);
    const Image image = snapshot(target);
    ASSERT_EQ(image.getSize(), Vector2u(200, 160));
    // Logical (10, 30) to (30, 40) covers physical (20, 60) to (60, 80).
    expectPixels(image, {{{20, 60}, Color::White},
                         {{59, 79}, Color::White},
                         {{19, 60}, Color::Black},
                         {{60, 79}, Color::Black},
                         {{20, 80}, Color::Black}});

    // A view with a viewport: placed in logical units, drawn in physical pixels.
    View half(FloatRect({0.f, 0.f}, {50.f, 80.f}));
    half.setViewport(FloatRect({0.5f, 0.f}, {0.5f, 1.f}));
    target.setView(half);
    EXPECT_NEAR(target.mapPixelToCoords({75, 40}).x, 25.f, 1e-3f);
    EXPECT_NEAR(target.mapPixelToCoords({75, 40}).y, 40.f, 1e-3f);
    target.clear(Color::Black);
    RectangleShape full({50.f, 80.f});
    target.draw(full);
    const Image right = snapshot(target);
    expectPixels(right, {{{99, 100}, Color::Black}, {{100, 100}, Color::White}, {{199, 159}, Color::White}});
}

TEST_F(ScaledTargetTest, TextIsRenderedAtThePhysicalSizeAndLaidOutInLogicalUnits)
{
    Text text(font, "Hamburgefonts", 20);
    text.setPosition({5.f, 5.f});
    const FloatRect atOne = text.getLocalBounds();

    ScaledTexture target({200, 50}, 2);
    EXPECT_EQ(target.getPixelRatio(), 2.f);
    target.clear(Color::Black);
    target.draw(text);
    const Image image = snapshot(target);

    // Glyphs come from the font at size 40: drawn from size-20 bitmaps, every column pair on the
    // edges would be equal.
    EXPECT_LT(doubledColumnFraction(image), 0.6);
    // The layout is the same text: logical bounds within a pixel of those at scale 1, and the ink
    // where they say, at twice the coordinates.
    const FloatRect atTwo = text.getLocalBounds();
    EXPECT_NEAR(atTwo.size.x, atOne.size.x, 1.f);
    EXPECT_NEAR(atTwo.size.y, atOne.size.y, 1.f);
    const auto [first, last] = inkColumns(image);
    EXPECT_NEAR(first, 2.f * (5.f + atTwo.position.x), 2.f);
    EXPECT_NEAR(last, 2.f * (5.f + atTwo.position.x + atTwo.size.x), 2.f);

    // The same text drawn by a plain target at twice the size is the same picture.
    RenderTexture plain({400, 100});
    Text doubled(font, "Hamburgefonts", 40);
    doubled.setPosition({10.f, 10.f});
    plain.clear(Color::Black);
    plain.draw(doubled);
    const Image reference = snapshot(plain);
    unsigned differing = 0;
    for (unsigned y = 0; y < 100; ++y)
        for (unsigned x = 0; x < 400; ++x)
            differing += near(image.getPixel({x, y}), reference.getPixel({x, y}), 8) ? 0u : 1u;
    EXPECT_EQ(differing, 0u);

    // Back at scale 1 (an output that changed scale), the next draw follows with no other call.
    target.setOutputScale(1);
    EXPECT_EQ(target.getPixelRatio(), 1.f);
    target.clear(Color::Black);
    target.draw(text);
    const Image atScaleOne = snapshot(target);
    ASSERT_EQ(atScaleOne.getSize(), Vector2u(200, 50));
    EXPECT_NEAR(inkColumns(atScaleOne).second, 5.f + atOne.position.x + atOne.size.x, 2.f);
    EXPECT_NEAR(text.getLocalBounds().size.x, atOne.size.x, 0.01f);
}

TEST_F(ScaledTargetTest, TextIsRenderedAtTheTargetsPixelRatio)
{
    // The ratio is physical over logical pixels, fractional ones included, and text drawn on the
    // target is the text of character size times that ratio drawn on a plain target.
    struct Case
    {
        Vector2u physical;
        float ratio;
    };
    const Vector2u logical(120, 40);
    for (const Case c : {Case{{120, 40}, 1.f}, Case{{180, 60}, 1.5f}, Case{{240, 80}, 2.f}})
    {
        ScaledTexture target(logical, c.physical);
        EXPECT_EQ(target.getPixelRatio(), c.ratio);
        Text text(font, "Hamburg", 20);
        target.clear(Color::Black);
        target.draw(text);

        RenderTexture plain(c.physical);
        const Text reference(font, "Hamburg", static_cast<unsigned int>(20.f * c.ratio));
        plain.clear(Color::Black);
        plain.draw(reference);
        const Image drawn = snapshot(target);
        const Image expected = snapshot(plain);
        unsigned differing = 0;
        for (unsigned y = 0; y < c.physical.y; ++y)
            for (unsigned x = 0; x < c.physical.x; ++x)
                differing += near(drawn.getPixel({x, y}), expected.getPixel({x, y}), 8) ? 0u : 1u;
        EXPECT_EQ(differing, 0u) << "at ratio " << c.ratio;
    }
}
