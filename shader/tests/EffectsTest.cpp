// The gallery's effects and screen, rendered into textures and read back (SDL's offscreen video
// driver gives the graphics context).
#include "Effects.hpp"
#include "Gallery.hpp"
#include "Support/TempDir.hpp"

#include <mivra/Graphics.hpp>

#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <unistd.h>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace mivra
{
inline void PrintTo(const Color& c, std::ostream* out)
{
    *out << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ", " << int(c.a) << ")";
}
} // namespace mivra

namespace shader
{
namespace
{
const std::filesystem::path resources(MIVRA_RESOURCE_DIR);

std::vector<float> uniform(const mivra::Shader& shader, const char* name, int components)
{
    EXPECT_TRUE(mivra::Context::ensureActive());
    const auto program = static_cast<GLuint>(shader.getNativeHandle());
    const GLint location = glGetUniformLocation(program, name);
    EXPECT_GE(location, 0) << name;
    std::vector<float> values(4, -999.0f);
    if (location >= 0)
        glGetUniformfv(program, location, values.data());
    values.resize(static_cast<std::size_t>(components));
    return values;
}

// A directory holding every gallery file but one.
class ResourcesWithout
{
public:
    explicit ResourcesWithout(const std::string& missing)
    {
        for (const char* name :
             {"background.jpg", "pixelate.frag", "wave.vert", "blur.frag", "storm.vert", "blink.frag", "mivra.png",
              "devices.png", "edge.frag", "logo.png", "billboard.vert", "billboard.geom", "billboard.frag"})
            if (name != missing)
                std::filesystem::copy_file(resources / name, m_scratch.path() / name,
                                           std::filesystem::copy_options::overwrite_existing);
    }
    const std::filesystem::path& path() const { return m_scratch.path(); }

private:
    const mivra::test::TempDir m_scratch;
};

TEST(ShaderEffects, EachMissingFileTakesOnlyItsOwnEffect)
{
    const mivra::Font font(resources / "tuffy.ttf");
    const std::map<std::string, int> owner{
        {"", -1},          {"background.jpg", 0}, {"pixelate.frag", 0},  {"wave.vert", 1},     {"blur.frag", 1},
        {"storm.vert", 2}, {"blink.frag", 2},     {"mivra.png", 3},      {"devices.png", 3},   {"edge.frag", 3},
        {"logo.png", 4},   {"billboard.vert", 4}, {"billboard.geom", 4}, {"billboard.frag", 4}};
    ASSERT_TRUE(mivra::Shader::isGeometryAvailable());
    for (const auto& [missing, effect] : owner)
    {
        SCOPED_TRACE("without " + (missing.empty() ? std::string("nothing") : missing));
        const ResourcesWithout directory(missing);
        const bool present[5] = {
            createPixelate(directory.path()).has_value(), createWaveBlur(directory.path(), font).has_value(),
            createStormBlink(directory.path()).has_value(), createEdge(directory.path()).has_value(),
            createGeometry(directory.path()).has_value()};
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(present[i], i != effect) << "effect " << i;
    }
}

TEST(ShaderEffects, UniformsFollowTheMouseCornersAndTheTime)
{
    const mivra::Font font(resources / "tuffy.ttf");
    auto pixelate = createPixelate(resources);
    auto waveBlur = createWaveBlur(resources, font);
    auto stormBlink = createStormBlink(resources);
    auto edge = createEdge(resources);
    auto geometry = createGeometry(resources);
    ASSERT_TRUE(pixelate && waveBlur && stormBlink && edge && geometry);

    // Top left corner, time 0.
    pixelate->animate(0.0f, 0.0f, 0.0f);
    waveBlur->animate(0.0f, 0.0f, 0.0f);
    stormBlink->animate(0.0f, 0.0f, 0.0f);
    edge->animate(0.0f, 0.0f, 0.0f);
    geometry->animate(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(uniform(pixelate->getShader(), "pixel_threshold", 1), std::vector<float>{0.0f});
    EXPECT_EQ(uniform(waveBlur->getShader(), "wave_phase", 1), std::vector<float>{0.0f});
    EXPECT_EQ(uniform(waveBlur->getShader(), "wave_amplitude", 2), (std::vector<float>{0.0f, 0.0f}));
    EXPECT_EQ(uniform(waveBlur->getShader(), "blur_radius", 1), std::vector<float>{0.0f});
    EXPECT_EQ(uniform(stormBlink->getShader(), "storm_position", 2), (std::vector<float>{0.0f, 0.0f}));
    EXPECT_EQ(uniform(stormBlink->getShader(), "storm_total_radius", 1), std::vector<float>{350.0f});
    EXPECT_FLOAT_EQ(uniform(stormBlink->getShader(), "storm_inner_radius", 1)[0], 350.0f / 3.0f);
    EXPECT_EQ(uniform(stormBlink->getShader(), "blink_alpha", 1), std::vector<float>{0.75f});
    EXPECT_EQ(uniform(edge->getShader(), "edge_threshold", 1), std::vector<float>{1.0f});
    EXPECT_EQ(uniform(geometry->getShader(), "size", 2), (std::vector<float>{25.0f, 25.0f}));
    EXPECT_EQ(uniform(geometry->getShader(), "resolution", 2), (std::vector<float>{800.0f, 600.0f}));
    EXPECT_EQ(geometry->getSceneTransform().transformPoint({100.0f, 0.0f}), mivra::Vector2f(500.0f, 300.0f));

    // Bottom right corner, later.
    pixelate->animate(2.0f, 1.0f, 1.0f);
    waveBlur->animate(2.0f, 1.0f, 1.0f);
    stormBlink->animate(2.0f, 1.0f, 1.0f);
    edge->animate(2.0f, 1.0f, 1.0f);
    geometry->animate(2.0f, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(uniform(pixelate->getShader(), "pixel_threshold", 1)[0], 1.0f / 15.0f);
    EXPECT_EQ(uniform(waveBlur->getShader(), "wave_phase", 1), std::vector<float>{2.0f});
    EXPECT_EQ(uniform(waveBlur->getShader(), "wave_amplitude", 2), (std::vector<float>{40.0f, 40.0f}));
    EXPECT_FLOAT_EQ(uniform(waveBlur->getShader(), "blur_radius", 1)[0], 0.016f);
    EXPECT_EQ(uniform(stormBlink->getShader(), "storm_position", 2), (std::vector<float>{800.0f, 600.0f}));
    EXPECT_FLOAT_EQ(uniform(stormBlink->getShader(), "storm_total_radius", 1)[0], std::cos(2.0f) * 150.0f + 200.0f);
    EXPECT_EQ(uniform(edge->getShader(), "edge_threshold", 1), std::vector<float>{0.0f});
    EXPECT_EQ(uniform(geometry->getShader(), "size", 2), (std::vector<float>{75.0f, 75.0f}));
    // A full turn: the cloud is back where it started, about the window's centre.
    const mivra::Vector2f turned = geometry->getSceneTransform().transformPoint({100.0f, 0.0f});
    EXPECT_NEAR(turned.x, 500.0f, 1e-3f);
    EXPECT_NEAR(turned.y, 300.0f, 1e-3f);
    // A quarter turn moves the point (100, 0) below the centre (y grows downwards).
    geometry->animate(0.0f, 0.25f, -1.0f);
    const mivra::Vector2f quarter = geometry->getSceneTransform().transformPoint({100.0f, 0.0f});
    EXPECT_NEAR(quarter.x, 400.0f, 1e-3f);
    EXPECT_NEAR(quarter.y, 400.0f, 1e-3f);
    EXPECT_EQ(uniform(geometry->getShader(), "size", 2), (std::vector<float>{75.0f, 75.0f}));
}

mivra::Image render(const std::function<void(mivra::RenderTexture&)>& draw)
{
    mivra::RenderTexture target({800, 600});
    draw(target);
    target.display();
    return target.getTexture().copyToImage();
}

int luminance(mivra::Color c)
{
    return (c.r + c.g + c.b) / 3;
}

TEST(ShaderEffects, EdgeKeepsWhiteWhiteAndOutlinesTheBackdrop)
{
    auto edge = createEdge(resources);
    ASSERT_TRUE(edge);
    for (const float threshold : {0.0f, 0.5f, 1.0f})
    {
        SCOPED_TRACE(::testing::Message() << "mouse at " << threshold);
        edge->animate(0.0f, threshold, threshold);
        const mivra::Image picture = render([&](mivra::RenderTexture& target) {
            target.clear(mivra::Color::White);
            target.draw(*edge);
        });
        // Far from the backdrop and the tiles the scene is plain white, and stays so.
        for (const mivra::Vector2u p : {mivra::Vector2u{5, 5}, mivra::Vector2u{795, 595}, mivra::Vector2u{10, 590}})
            EXPECT_EQ(picture.getPixel(p), mivra::Color::White);
        // The sharp step from the backdrop's light frame to its blue panel (x = 147) is outlined
        // dark; the smooth inside of the panel is not.
        int darkAtBorder = 0;
        for (unsigned x = 140; x < 156; ++x)
            darkAtBorder += luminance(picture.getPixel({x, 340})) < 40 ? 1 : 0;
        EXPECT_GE(darkAtBorder, 1);
        EXPECT_GT(luminance(picture.getPixel({165, 340})), 70);
    }
}

TEST(ShaderEffects, StormClearsADiscAroundTheMouse)
{
    auto storm = createStormBlink(resources);
    ASSERT_TRUE(storm);
    // Time 0: the storm's inner radius is 350 / 3, around the middle of the scene.
    storm->animate(0.0f, 0.5f, 0.5f);
    const mivra::Image picture = render([&](mivra::RenderTexture& target) {
        target.clear(mivra::Color::Black);
        target.draw(*storm);
    });
    int inside = 0, ring = 0, outside = 0;
    for (unsigned y = 0; y < 600; ++y)
        for (unsigned x = 0; x < 800; ++x)
        {
            if (picture.getPixel({x, y}) == mivra::Color::Black)
                continue;
            const float d = std::hypot(static_cast<float>(x) + 0.5f - 400.0f, static_cast<float>(y) + 0.5f - 300.0f);
            (d < 110.0f ? inside : d < 350.0f ? ring : outside) += 1;
        }
    EXPECT_EQ(inside, 0);
    // The ring holds the points pushed out of the disc as well as its own.
    EXPECT_GT(ring, 6000);
    EXPECT_GT(outside, 5000);
}

TEST(ShaderEffects, PixelateCoarsensWithTheMouse)
{
    auto pixelate = createPixelate(resources);
    ASSERT_TRUE(pixelate);
    const auto coloursIn = [&](float mouse) {
        pixelate->animate(0.0f, mouse, mouse);
        const mivra::Image picture = render([&](mivra::RenderTexture& target) { target.draw(*pixelate); });
        std::set<std::uint32_t> colours;
        for (unsigned y = 40; y < 100; ++y)
            for (unsigned x = 200; x < 260; ++x)
                colours.insert(picture.getPixel({x, y}).toInteger());
        return colours.size();
    };
    EXPECT_GT(coloursIn(0.0f), 20u);
    EXPECT_LE(coloursIn(1.0f), 9u);
}

class GalleryTest : public ::testing::Test
{
protected:
    mivra::Font font{resources / "tuffy.ttf"};
    mivra::Texture caption{resources / "text-background.png"};
};

TEST_F(GalleryTest, LeftAndRightStepThroughARing)
{
    Gallery gallery(font, caption, {nullptr, nullptr, nullptr, nullptr, nullptr});
    EXPECT_EQ(gallery.getEffectLabel().getString().toAnsiString(), "Current effect: Pixelate");
    gallery.handleKey(mivra::Keyboard::Key::Left);
    EXPECT_EQ(gallery.getEffectIndex(), 4u);
    EXPECT_EQ(gallery.getEffectLabel().getString().toAnsiString(), "Current effect: Geometry Shader Billboards");
    gallery.handleKey(mivra::Keyboard::Key::Space);
    EXPECT_EQ(gallery.getEffectIndex(), 4u);
    EXPECT_EQ(gallery.getEffectLabel().getString().toAnsiString(), "Current effect: Geometry Shader Billboards");
    const char* names[] = {"Pixelate", "Wave + Blur", "Storm + Blink", "Edge Post-effect",
                           "Geometry Shader Billboards"};
    for (unsigned step = 1; step <= 5; ++step)
    {
        gallery.handleKey(mivra::Keyboard::Key::Right);
        EXPECT_EQ(gallery.getEffectIndex(), (4 + step) % 5);
        EXPECT_EQ(gallery.getEffectLabel().getString().toAnsiString(),
                  std::string("Current effect: ") + names[(4 + step) % 5]);
    }
}

TEST_F(GalleryTest, MissingEffectShowsTheFallbackTextOnGrey)
{
    Gallery gallery(font, caption, {nullptr, nullptr, nullptr, nullptr, nullptr});
    const mivra::Image screen =
        render([&](mivra::RenderTexture& target) { gallery.drawFrame(target, 1.0f, 0.5f, 0.5f); });
    const mivra::Image expected = render([&](mivra::RenderTexture& target) {
        target.clear(mivra::Color(50, 50, 50));
        mivra::Text text(font, "Shader not\nsupported", 36);
        text.setPosition({320.0f, 200.0f});
        target.draw(text);
    });
    // Everything above the caption bar is the fallback scene, pixel for pixel.
    int differing = 0;
    for (unsigned y = 0; y < 520; ++y)
        for (unsigned x = 0; x < 800; ++x)
            differing += screen.getPixel({x, y}) == expected.getPixel({x, y}) ? 0 : 1;
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(screen.getPixel({5, 5}), mivra::Color(50, 50, 50));
    EXPECT_GT(luminance(screen.getPixel({400, 590})), 150) << "the caption bar";
}

TEST_F(GalleryTest, EdgeEffectIsShownOnWhite)
{
    auto edge = createEdge(resources);
    ASSERT_TRUE(edge);
    Gallery gallery(font, caption, {nullptr, nullptr, nullptr, &*edge, nullptr});
    for (int i = 0; i < 3; ++i)
        gallery.handleKey(mivra::Keyboard::Key::Right);
    const mivra::Image screen = render([&](mivra::RenderTexture& target) {
        target.clear(mivra::Color::Red);
        gallery.drawFrame(target, 0.0f, 0.0f, 0.0f);
    });
    EXPECT_EQ(screen.getPixel({5, 5}), mivra::Color::White);
    gallery.handleKey(mivra::Keyboard::Key::Right);
    const mivra::Image missing =
        render([&](mivra::RenderTexture& target) { gallery.drawFrame(target, 0.0f, 0.0f, 0.0f); });
    EXPECT_EQ(missing.getPixel({5, 5}), mivra::Color(50, 50, 50));
}
} // namespace
} // namespace shader
