#pragma once

#include <mivra/Graphics/Image.hpp>
#include <mivra/Graphics/RenderTexture.hpp>
#include <mivra/Graphics/Shader.hpp>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace mivra
{
inline void PrintTo(const Color& c, std::ostream* os)
{
    *os << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ", " << int(c.a) << ")";
}
} // namespace mivra

namespace mivra::test
{
inline std::filesystem::path fontPath()
{
    const char* path = std::getenv("MIVRA_TEST_FONT");
    return path ? path : "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
}

// Draws into a render texture and reads the picture back.
class RenderTest : public ::testing::Test
{
protected:
    static ContextSettings withStencil()
    {
        ContextSettings settings;
        settings.stencilBits = 8;
        return settings;
    }

    // Loads a fragment shader from `source`, asserting that shaders are available and that it
    // compiles: call it within ASSERT_NO_FATAL_FAILURE.
    static void loadFragmentShader(Shader& shader, std::string_view source)
    {
        ASSERT_TRUE(Shader::isAvailable());
        ASSERT_TRUE(shader.loadFromMemory(source, Shader::Type::Fragment));
    }

    Image snapshot(RenderTexture& target)
    {
        target.display();
        return target.getTexture().copyToImage();
    }

    // A pixel of a picture and the colour it must have.
    struct PixelCheck
    {
        Vector2u at;
        Color color;
    };

    // Checks each pixel of `image`; a failure names the pixel.
    static void expectPixels(const Image& image, std::initializer_list<PixelCheck> checks)
    {
        for (const auto& [at, color] : checks)
            EXPECT_EQ(image.getPixel(at), color) << "at (" << at.x << ", " << at.y << ")";
    }

    static bool near(Color a, Color b, int tolerance = 2)
    {
        auto close = [&](int x, int y) { return std::abs(x - y) <= tolerance; };
        return close(a.r, b.r) && close(a.g, b.g) && close(a.b, b.b) && close(a.a, b.a);
    }
};
} // namespace mivra::test
