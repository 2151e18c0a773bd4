#include "RenderTestSupport.hpp"
#include "../Support/DiagnosticCapture.hpp"
#include "../Support/TempDir.hpp"

#include <mivra/Graphics/RectangleShape.hpp>
#include <mivra/Graphics/Shader.hpp>
#include <mivra/Graphics/Sprite.hpp>
#include <mivra/Graphics/VertexArray.hpp>
#include <mivra/System/Exception.hpp>

#include <cstdlib>
#include <fstream>
#include <unistd.h>

#include <gmock/gmock.h>

using namespace mivra;
using mivra::test::RenderTest;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace
{
// A quad over the whole of a 4 x 4 target.
void drawQuad(RenderTexture& target, Color color, const RenderStates& states)
{
    RectangleShape quad({4.f, 4.f});
    quad.setFillColor(color);
    target.draw(quad, states);
}

RenderStates stencil(StencilComparison comparison, StencilUpdateOperation operation, StencilValue reference,
                     StencilValue mask = ~0u, bool only = false)
{
    return RenderStates(StencilMode{comparison, operation, reference, mask, only});
}

// Where is a pixel centre, in a rectangle's own coordinates: clearly inside, clearly outside, or
// too close to an edge to say how it was rasterised.
enum class Place
{
    Inside,
    Outside,
    Edge
};

Place placeOf(const RectangleShape& shape, Vector2f point)
{
    const Vector2f local = shape.getInverseTransform().transformPoint(point);
    const Vector2f size = shape.getSize();
    if (local.x > 1.5f && local.y > 1.5f && local.x < size.x - 1.5f && local.y < size.y - 1.5f)
        return Place::Inside;
    if (local.x < -1.5f || local.y < -1.5f || local.x > size.x + 1.5f || local.y > size.y + 1.5f)
        return Place::Outside;
    return Place::Edge;
}
} // namespace

TEST_F(RenderTest, EveryStencilComparison)
{
    RenderTexture target({4, 4}, withStencil());
    struct Case
    {
        StencilComparison comparison;
        bool passes[3]; // with the references 0, 1 and 2 against a stored 1
    };
    const Case cases[] = {
        {StencilComparison::Never, {false, false, false}},      {StencilComparison::Less, {true, false, false}},
        {StencilComparison::LessEqual, {true, true, false}},    {StencilComparison::Greater, {false, false, true}},
        {StencilComparison::GreaterEqual, {false, true, true}}, {StencilComparison::Equal, {false, true, false}},
        {StencilComparison::NotEqual, {true, false, true}},     {StencilComparison::Always, {true, true, true}},
    };
    for (const Case& c : cases)
        for (int reference = 0; reference < 3; ++reference)
        {
            target.clear(Color::Black, 1);
            drawQuad(target, Color::Red, stencil(c.comparison, StencilUpdateOperation::Keep, reference));
            const Color seen = snapshot(target).getPixel({1, 1});
            EXPECT_EQ(seen, c.passes[reference] ? Color::Red : Color::Black)
                << "comparison " << static_cast<int>(c.comparison) << " with reference " << reference;
        }
}

TEST_F(RenderTest, EveryStencilUpdate)
{
    RenderTexture target({4, 4}, withStencil());
    struct Case
    {
        StencilUpdateOperation operation;
        unsigned int stored; // after the update of a stored 5 with the reference 9
    };
    const Case cases[] = {{StencilUpdateOperation::Keep, 5},      {StencilUpdateOperation::Zero, 0},
                          {StencilUpdateOperation::Replace, 9},   {StencilUpdateOperation::Increment, 6},
                          {StencilUpdateOperation::Decrement, 4}, {StencilUpdateOperation::Invert, 250}};
    for (const Case& c : cases)
    {
        target.clear(Color::Black, 5);
        // Stencil only: the colour stays black while the stored value changes.
        drawQuad(target, Color::Red, stencil(StencilComparison::Always, c.operation, 9, ~0u, true));
        EXPECT_EQ(snapshot(target).getPixel({1, 1}), Color::Black) << "operation " << static_cast<int>(c.operation);
        // Probe the stored value: only an equal reference paints.
        drawQuad(target, Color::Green,
                 stencil(StencilComparison::Equal, StencilUpdateOperation::Keep, static_cast<int>(c.stored)));
        EXPECT_EQ(snapshot(target).getPixel({1, 1}), Color::Green) << "operation " << static_cast<int>(c.operation);
    }

    // Saturation at both ends.
    target.clear(Color::Black, 0);
    drawQuad(target, Color::Red, stencil(StencilComparison::Always, StencilUpdateOperation::Decrement, 0));
    drawQuad(target, Color::Green, stencil(StencilComparison::Equal, StencilUpdateOperation::Keep, 0));
    EXPECT_EQ(snapshot(target).getPixel({1, 1}), Color::Green);
}

TEST_F(RenderTest, ClearingIsNotHeldBackByTheLastStencilMode)
{
    RenderTexture target({4, 4}, withStencil());
    target.clear(Color::Black, 0);
    // Writes only the low four bits, and no colour.
    drawQuad(target, Color::Red,
             stencil(StencilComparison::Always, StencilUpdateOperation::Replace, 0xFF, 0x0Fu, true));
    target.clear(Color::Blue, 0);
    EXPECT_EQ(snapshot(target).getPixel({1, 1}), Color::Blue);
    drawQuad(target, Color::Green, stencil(StencilComparison::Equal, StencilUpdateOperation::Keep, 0));
    EXPECT_EQ(snapshot(target).getPixel({1, 1}), Color::Green);
}

TEST_F(RenderTest, ThreeRotatedBarsWithStencilTests)
{
    RenderTexture target({600, 600}, withStencil());
    RectangleShape red({500.f, 50.f});
    red.setFillColor(Color::Red);
    red.setPosition({270.f, 70.f});
    red.setRotation(degrees(60.f));
    RectangleShape green({500.f, 50.f});
    green.setFillColor(Color::Green);
    green.setPosition({370.f, 100.f});
    green.setRotation(degrees(120.f));
    RectangleShape blue({500.f, 50.f});
    blue.setFillColor(Color::Blue);
    blue.setPosition({550.f, 470.f});
    blue.setRotation(degrees(180.f));

    target.clear(Color::Black, 0);
    target.draw(red, stencil(StencilComparison::Always, StencilUpdateOperation::Replace, 3, 0xFFFFFFFFu));
    target.draw(green, stencil(StencilComparison::Always, StencilUpdateOperation::Replace, 1, 0xFFFFFFFFu));
    target.draw(blue, stencil(StencilComparison::Greater, StencilUpdateOperation::Replace, 2, 0xFFFFFFFFu));
    const Image image = snapshot(target);

    unsigned checked = 0;
    unsigned blueOverGreen = 0;
    unsigned redOverBlue = 0;
    for (unsigned y = 0; y < 600; ++y)
        for (unsigned x = 0; x < 600; ++x)
        {
            const Vector2f centre(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
            const Place r = placeOf(red, centre);
            const Place g = placeOf(green, centre);
            const Place b = placeOf(blue, centre);
            if (r == Place::Edge || g == Place::Edge || b == Place::Edge)
                continue;
            const bool inRed = r == Place::Inside;
            const bool inGreen = g == Place::Inside;
            const bool inBlue = b == Place::Inside;
            Color expected = Color::Black;
            if (inBlue && (!inRed || inGreen))
                expected = Color::Blue;
            else if (inGreen)
                expected = Color::Green;
            else if (inRed)
                expected = Color::Red;
            blueOverGreen += (inBlue && inGreen) ? 1 : 0;
            redOverBlue += (inBlue && inRed && !inGreen) ? 1 : 0;
            ++checked;
            ASSERT_EQ(image.getPixel({x, y}), expected) << "at " << x << ", " << y;
        }
    EXPECT_GT(checked, 300000u);
    EXPECT_GT(blueOverGreen, 500u);
    EXPECT_GT(redOverBlue, 500u);
}

TEST_F(RenderTest, ShaderPaintsAUniformColour)
{
    Shader shader;
    ASSERT_NO_FATAL_FAILURE(loadFragmentShader(shader, "uniform vec2 tint;\n"
                                                       "uniform float blue;\n"
                                                       "void main() { gl_FragColor = vec4(tint, blue, 1.0); }\n"));
    EXPECT_NE(shader.getNativeHandle(), 0u);
    shader.setUniform("tint", Vector2f(1.f, 0.5f));
    shader.setUniform("blue", 0.25f);
    shader.setUniform("not_in_the_program", 3.f); // ignored

    RenderTexture target({20, 20});
    target.clear(Color::Black);
    RectangleShape left({10.f, 20.f});
    target.draw(left, RenderStates(&shader));
    RectangleShape right({10.f, 20.f});
    right.setPosition({10.f, 0.f});
    target.draw(right); // the shader is gone again
    const Image image = snapshot(target);
    EXPECT_TRUE(near(image.getPixel({5, 10}), Color(255, 128, 64)))
        << ::testing::PrintToString(image.getPixel({5, 10}));
    EXPECT_EQ(image.getPixel({15, 10}), Color::White);
}

TEST_F(RenderTest, ShaderSamplesTheCurrentTextureAndATextureUniform)
{
    Image redPicture({8, 8}, Color::Red);
    redPicture.setPixel({0, 0}, Color::Green);
    Texture red;
    ASSERT_TRUE(red.loadFromImage(redPicture));
    Texture blue;
    ASSERT_TRUE(blue.loadFromImage(Image({8, 8}, Color::Blue)));

    Shader shader;
    ASSERT_TRUE(shader.loadFromMemory("void main() {\n"
                                      "    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;\n"
                                      "    gl_TexCoord[0] = gl_TextureMatrix[0] * gl_MultiTexCoord0;\n"
                                      "    gl_FrontColor = gl_Color;\n"
                                      "}\n",
                                      "uniform sampler2D texture;\n"
                                      "uniform sampler2D other;\n"
                                      "void main() {\n"
                                      "    vec4 own = texture2D(texture, gl_TexCoord[0].xy);\n"
                                      "    vec4 more = texture2D(other, gl_TexCoord[0].xy);\n"
                                      "    gl_FragColor = vec4(own.g, own.r, more.b * 0.5, 1.0) * gl_Color;\n"
                                      "}\n"));
    shader.setUniform("texture", Shader::CurrentTexture);
    shader.setUniform("other", blue);

    RenderTexture target({16, 16});
    target.clear(Color::Black);
    Sprite sprite(red);
    sprite.setScale({2.f, 2.f});
    target.draw(sprite, RenderStates(&shader));
    const Image image = snapshot(target);
    // Red and green swapped, half of the other texture's blue; the marked texel stays top-left.
    EXPECT_TRUE(near(image.getPixel({8, 8}), Color(0, 255, 128))) << ::testing::PrintToString(image.getPixel({8, 8}));
    EXPECT_TRUE(near(image.getPixel({0, 0}), Color(255, 0, 128))) << ::testing::PrintToString(image.getPixel({0, 0}));
}

TEST_F(RenderTest, GeometryShaderTurnsPointsIntoQuads)
{
    ASSERT_TRUE(Shader::isGeometryAvailable());
    Shader shader;
    ASSERT_TRUE(shader.loadFromMemory(
        "void main() { gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex; gl_FrontColor = gl_Color; }\n",
        "#version 150 compatibility\n"
        "layout(points) in;\n"
        "layout(triangle_strip, max_vertices = 4) out;\n"
        "uniform vec2 halfSize;\n"
        "void main() {\n"
        "    vec4 c = gl_in[0].gl_Position;\n"
        "    gl_FrontColor = gl_in[0].gl_FrontColor; gl_Position = c + vec4(-halfSize.x, -halfSize.y, 0, 0); "
        "EmitVertex();\n"
        "    gl_FrontColor = gl_in[0].gl_FrontColor; gl_Position = c + vec4( halfSize.x, -halfSize.y, 0, 0); "
        "EmitVertex();\n"
        "    gl_FrontColor = gl_in[0].gl_FrontColor; gl_Position = c + vec4(-halfSize.x,  halfSize.y, 0, 0); "
        "EmitVertex();\n"
        "    gl_FrontColor = gl_in[0].gl_FrontColor; gl_Position = c + vec4( halfSize.x,  halfSize.y, 0, 0); "
        "EmitVertex();\n"
        "    EndPrimitive();\n"
        "}\n",
        "void main() { gl_FragColor = gl_Color; }\n"));
    // Five pixels each way on a 40 x 40 target, in normalised coordinates.
    shader.setUniform("halfSize", Vector2f(0.25f, 0.25f));

    RenderTexture target({40, 40});
    target.clear(Color::Black);
    VertexArray points(PrimitiveType::Points);
    points.append({{20.f, 20.f}, Color::Yellow});
    target.draw(points, RenderStates(&shader));
    const Image image = snapshot(target);
    expectPixels(
        image,
        {{{15, 15}, Color::Yellow}, {{24, 24}, Color::Yellow}, {{26, 20}, Color::Black}, {{13, 20}, Color::Black}});
}

TEST_F(RenderTest, ShaderFailuresNameTheFileAndKeepTheOldProgram)
{
    const mivra::test::TempDir scratch;
    const std::filesystem::path& dir = scratch.path();
    const auto broken = dir / "broken.frag";
    std::ofstream(broken) << "void main() { gl_FragColor = vec4(1.0) + undefined_thing; }\n";

    Shader shader;
    ASSERT_TRUE(shader.loadFromMemory("void main() { gl_FragColor = vec4(1.0); }", Shader::Type::Fragment));
    const unsigned int program = shader.getNativeHandle();

    mivra::test::DiagnosticCapture diagnostics;
    EXPECT_FALSE(shader.loadFromFile(broken, Shader::Type::Fragment));
    auto lines = diagnostics.take();
    ASSERT_EQ(lines.size(), 1u);
    // One line, however many lines the driver's log has.
    EXPECT_EQ(lines[0].find('\n'), std::string::npos) << lines[0];
    EXPECT_THAT(lines[0], StartsWith("mivra: cannot load the shader: " + broken.string() +
                                     ": cannot compile the fragment shader: "));
    EXPECT_THAT(lines[0], HasSubstr("undefined_thing")); // the driver's log
    EXPECT_EQ(shader.getNativeHandle(), program);

    EXPECT_FALSE(shader.loadFromFile(dir / "vertex.vert", dir / "missing.frag"));
    lines = diagnostics.take();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "mivra: cannot load the shader: " + (dir / "vertex.vert").string() + ": no such file");

    try
    {
        Shader thrown(broken, Shader::Type::Fragment);
        FAIL() << "a broken shader loaded";
    }
    catch (const Exception& e)
    {
        EXPECT_THAT(e.what(), HasSubstr(broken.string()));
    }
}

TEST_F(RenderTest, ShadersLoadFromFilesOfOneTwoOrThreeStages)
{
    const mivra::test::TempDir scratch;
    const std::filesystem::path& dir = scratch.path();
    std::ofstream(dir / "plain.vert") << "void main() { gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex; "
                                         "gl_FrontColor = gl_Color; }\n";
    std::ofstream(dir / "pass.geom") << "#version 150 compatibility\n"
                                        "layout(triangles) in;\n"
                                        "layout(triangle_strip, max_vertices = 3) out;\n"
                                        "void main() {\n"
                                        "    for (int i = 0; i < 3; ++i) {\n"
                                        "        gl_Position = gl_in[i].gl_Position; gl_FrontColor = "
                                        "gl_in[i].gl_FrontColor; EmitVertex();\n"
                                        "    }\n"
                                        "    EndPrimitive();\n"
                                        "}\n";
    std::ofstream(dir / "green.frag") << "void main() { gl_FragColor = vec4(0.0, gl_Color.g, 0.0, 1.0); }\n";

    const Shader one(dir / "green.frag", Shader::Type::Fragment);
    const Shader two(dir / "plain.vert", dir / "green.frag");
    const Shader three(dir / "plain.vert", dir / "pass.geom", dir / "green.frag");
    for (const Shader* shader : {&one, &two, &three})
    {
        RenderTexture target({4, 4});
        target.clear(Color::Black);
        drawQuad(target, Color::White, RenderStates(shader));
        EXPECT_EQ(snapshot(target).getPixel({1, 1}), Color::Green);
    }
}
