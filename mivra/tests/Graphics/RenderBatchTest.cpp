// What gathering draws into batches can get wrong: the order of draws whose states change within a
// run, objects changed between two draws that use them, and two targets drawn in turn.

#include "RenderTestSupport.hpp"
#ifdef MIVRA_TEST_COUNTS_ALLOCATIONS
#include "AllocationCounter.hpp"
#endif

#include <mivra/Graphics/RectangleShape.hpp>
#include <mivra/Graphics/RenderWindow.hpp>
#include <mivra/Graphics/Shader.hpp>
#include <mivra/Graphics/Sprite.hpp>
#include <mivra/Graphics/VertexBuffer.hpp>

#include <epoxy/gl.h>

#include <functional>
#include <vector>

using namespace mivra;
using mivra::test::RenderTest;

namespace
{
RectangleShape square(Vector2f position, float size, Color color)
{
    RectangleShape shape({size, size});
    shape.setPosition(position);
    shape.setFillColor(color);
    return shape;
}

Texture filledTexture(Color color, Vector2u size = {4, 4})
{
    Texture texture;
    EXPECT_TRUE(texture.loadFromImage(Image(size, color)));
    return texture;
}
} // namespace

TEST_F(RenderTest, StateChangesWithinARunKeepTheOrderOfDraws)
{
    RenderTexture target({60, 20}, withStencil());
    target.clear(Color::Black, 0);
    const Texture green = filledTexture(Color::Green);

    // Three overlapping squares: plain, textured, plain again. Gathering the two plain ones
    // together would put the textured one on top.
    target.draw(square({0.f, 0.f}, 20.f, Color::Red));
    Sprite sprite(green);
    sprite.setPosition({10.f, 0.f});
    sprite.setScale({5.f, 5.f});
    target.draw(sprite);
    target.draw(square({20.f, 0.f}, 10.f, Color::Blue));

    // Blend modes changing within a run: added on top of a blue square, then alpha again.
    target.draw(square({30.f, 0.f}, 10.f, Color::Blue));
    target.draw(square({30.f, 0.f}, 10.f, Color(0, 100, 0)), RenderStates(BlendAdd));
    target.draw(square({30.f, 0.f}, 5.f, Color(200, 0, 0)));

    // A stencil-only mask drawn within the run limits the next draw to it.
    target.draw(square({40.f, 10.f}, 10.f, Color::White),
                RenderStates(StencilMode{StencilComparison::Always, StencilUpdateOperation::Replace, 1, ~0u, true}));
    RectangleShape masked({20.f, 10.f});
    masked.setPosition({40.f, 10.f});
    masked.setFillColor(Color::Yellow);
    target.draw(masked,
                RenderStates(StencilMode{StencilComparison::Equal, StencilUpdateOperation::Keep, 1, ~0u, false}));

    const Image image = snapshot(target);
    expectPixels(image, {
                            {{5, 5}, Color::Red},
                            {{15, 5}, Color::Green},
                            {{25, 5}, Color::Blue}, // the last plain square covers the sprite
                            {{25, 15}, Color::Green},
                            {{32, 8}, Color(0, 100, 255)}, // blue + added green
                            {{32, 2}, Color(200, 0, 0)},
                            {{45, 15}, Color::Yellow},
                            {{55, 15}, Color::Black}, // outside the mask
                            {{45, 5}, Color::Black}   // the mask itself wrote no colour
                        });
}

TEST_F(RenderTest, ATextureChangedBetweenTwoDrawsShowsWhatItHeldAtEach)
{
    RenderTexture target({40, 10});
    target.clear(Color::Black);
    Texture texture = filledTexture(Color::Red);
    Sprite sprite(texture);
    sprite.setScale({2.5f, 2.5f});
    target.draw(sprite);
    texture.update(Image({4, 4}, Color::Green));
    sprite.setPosition({10.f, 0.f});
    target.draw(sprite);

    // Made anew at another size: texture coordinates of the earlier draws were for the old one.
    ASSERT_TRUE(texture.loadFromImage(Image({8, 8}, Color::Blue)));
    sprite.setTexture(texture, true);
    sprite.setScale({1.25f, 1.25f});
    sprite.setPosition({20.f, 0.f});
    target.draw(sprite);

    {
        // Drawn, then gone before the target shows it.
        const Texture passing = filledTexture(Color::Yellow);
        Sprite last(passing);
        last.setScale({2.5f, 2.5f});
        last.setPosition({30.f, 0.f});
        target.draw(last);
    }
    const Image image = snapshot(target);
    expectPixels(image,
                 {{{5, 5}, Color::Red}, {{15, 5}, Color::Green}, {{25, 5}, Color::Blue}, {{35, 5}, Color::Yellow}});
}

TEST_F(RenderTest, AUniformChangedBetweenTwoDrawsAppliesFromTheNextDrawOn)
{
    Shader shader;
    ASSERT_NO_FATAL_FAILURE(
        loadFragmentShader(shader, "uniform vec4 paint;\n"
                                   "uniform sampler2D extra;\n"
                                   "void main() { gl_FragColor = paint + texture2D(extra, vec2(0.5)); }\n"));
    Texture extra = filledTexture(Color::Black);
    shader.setUniform("extra", extra);

    RenderTexture target({40, 10});
    target.clear(Color::Black);
    const RenderStates withShader(&shader);
    shader.setUniform("paint", Color::Red);
    target.draw(square({0.f, 0.f}, 10.f, Color::White), withShader);
    shader.setUniform("paint", Color::Green);
    target.draw(square({10.f, 0.f}, 10.f, Color::White), withShader);
    // A texture the shader names as a uniform, changed between two draws.
    extra.update(Image({4, 4}, Color::Blue));
    target.draw(square({20.f, 0.f}, 10.f, Color::White), withShader);
    // The same shader drawn with another transform keeps each draw's own.
    RenderStates moved = withShader;
    moved.transform.translate({30.f, 0.f});
    target.draw(square({0.f, 0.f}, 10.f, Color::White), moved);

    const Image image = snapshot(target);
    expectPixels(image,
                 {{{5, 5}, Color::Red}, {{15, 5}, Color::Green}, {{25, 5}, Color::Cyan}, {{35, 5}, Color::Cyan}});
}

TEST_F(RenderTest, EveryChangeOfWhatABatchDependsOnSendsItFirst)
{
    // A square gathered into a batch, then an operation that changes what the batch would draw
    // if it were sent only afterwards: the picture must show the square as drawn, red.
    ASSERT_TRUE(Shader::isAvailable() && VertexBuffer::isAvailable());
    Texture texture = filledTexture(Color::Red);
    Shader shader;
    ASSERT_NO_FATAL_FAILURE(loadFragmentShader(shader, "uniform vec4 paint;\n"
                                                       "void main() { gl_FragColor = paint; }\n"));
    const std::vector<Vertex> greenQuad = {{{0.f, 0.f}, Color::Green},   {{10.f, 0.f}, Color::Green},
                                           {{0.f, 10.f}, Color::Green},  {{10.f, 0.f}, Color::Green},
                                           {{10.f, 10.f}, Color::Green}, {{0.f, 10.f}, Color::Green}};
    VertexBuffer buffer(PrimitiveType::Triangles);
    ASSERT_TRUE(buffer.create(greenQuad.size()));

    struct Case
    {
        const char* operation;
        std::function<void(RenderTexture&)> draw;
        std::function<void(RenderTexture&)> change;
        Color expected;
    };
    const auto plainSquare = [](RenderTexture& t) { t.draw(square({0.f, 0.f}, 10.f, Color::Red)); };
    const auto texturedSquare = [&](RenderTexture& t) {
        Sprite sprite(texture);
        sprite.setScale({2.5f, 2.5f});
        t.draw(sprite);
    };
    const auto shadedSquare = [&](RenderTexture& t) {
        shader.setUniform("paint", Color::Red);
        t.draw(square({0.f, 0.f}, 10.f, Color::White), RenderStates(&shader));
    };
    const Case cases[] = {
        {"texture update", texturedSquare,
         [&](RenderTexture&) {
             texture.update(Image({4, 4}, Color::Green));
         },
         Color::Red},
        {"texture reload", texturedSquare,
         [&](RenderTexture&) {
             ASSERT_TRUE(texture.loadFromImage(Image({8, 8}, Color::Blue)));
         },
         Color::Red},
        {"shader uniform", shadedSquare, [&](RenderTexture&) { shader.setUniform("paint", Color::Green); }, Color::Red},
        {"shader reload", shadedSquare,
         [&](RenderTexture&) {
             ASSERT_NO_FATAL_FAILURE(loadFragmentShader(shader, "void main() { gl_FragColor = vec4(0, 1, 0, 1); }\n"));
         },
         Color::Red},
        {"view change", plainSquare,
         [](RenderTexture& t) {
             t.setView(View({-10.f, 5.f}, {20.f, 10.f}));
         },
         Color::Red},
        // The square first, the clear over it.
        {"clear", plainSquare, [](RenderTexture& t) { t.clear(Color::Black); }, Color::Black},
        // The square first, the buffer's green quad over it.
        {"vertex buffer", plainSquare,
         [&](RenderTexture& t) {
             ASSERT_TRUE(buffer.update(greenQuad.data()));
             t.draw(buffer);
         },
         Color::Green},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.operation);
        texture = filledTexture(Color::Red);
        RenderTexture target({20, 10});
        target.clear(Color::Black);
        c.draw(target);
        c.change(target);
        const Image image = snapshot(target);
        EXPECT_EQ(image.getPixel({5, 5}), c.expected);
    }
}

TEST_F(RenderTest, DrawingToARenderTextureWhileTheWindowHasDrawsPending)
{
    RenderWindow window(VideoMode({40, 10}), "Mivra Batch Test", Style::Titlebar | Style::Close);
    ASSERT_TRUE(window.isOpen());
    RenderTexture canvas({4, 4});
    canvas.clear(Color::Red);
    canvas.display();
    Sprite shown(canvas.getTexture());
    shown.setScale({2.5f, 2.5f});

    window.clear(Color::Black);
    window.draw(shown);
    // The window's draw of the canvas must show it red, as it was then.
    canvas.clear(Color::Green);
    canvas.display();
    shown.setPosition({10.f, 0.f});
    window.draw(shown);
    // And both targets in turn, draw by draw.
    for (int i = 0; i < 2; ++i)
    {
        canvas.draw(square({0.f, 0.f}, 4.f, i == 0 ? Color::Blue : Color::Yellow));
        canvas.display();
        shown.setPosition({20.f + 10.f * static_cast<float>(i), 0.f});
        window.draw(shown);
    }

    // Raw OpenGL after making the window active finds every draw done.
    ASSERT_TRUE(window.setActive(true));
    glReadBuffer(GL_BACK);
    std::vector<unsigned char> rgba(40 * 10 * 4);
    glReadPixels(0, 0, 40, 10, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    auto at = [&](int x) { return Color(rgba[x * 4 + 0], rgba[x * 4 + 1], rgba[x * 4 + 2]); };
    EXPECT_EQ(at(5), Color::Red);
    EXPECT_EQ(at(15), Color::Green);
    EXPECT_EQ(at(25), Color::Blue);
    EXPECT_EQ(at(35), Color::Yellow);
    window.display();
}

TEST_F(RenderTest, ManyDrawsWithoutDisplayAllArriveAndWarmFramesDoNotAllocate)
{
    // More vertices than one batch holds (30,000 sprites: 180,000 vertices), drawn twice, the
    // second frame counting the heap allocations.
    const Texture texture = filledTexture(Color::White, {2, 2});
    std::vector<Sprite> sprites;
    for (int i = 0; i < 30'000; ++i)
    {
        Sprite& s = sprites.emplace_back(texture);
        s.setPosition({static_cast<float>(i % 90), static_cast<float>(i / 90 % 40)});
        s.setColor(Color::Red);
    }
    sprites.front().setPosition({96.f, 46.f});
    sprites.front().setColor(Color::Blue);
    sprites.back().setPosition({97.f, 47.f});
    sprites.back().setColor(Color::Green);
    RenderTexture target({100, 50});
    auto frame = [&] {
        target.clear(Color::Black);
        for (const Sprite& s : sprites)
            target.draw(s);
        target.display();
    };
    frame();
#ifdef MIVRA_TEST_COUNTS_ALLOCATIONS
    std::size_t allocations = 0;
    {
        const test::AllocationCounter counter;
        frame();
        allocations = counter.count();
    }
    EXPECT_EQ(allocations, 0u);
#else
    frame();
#endif
    const Image image = snapshot(target);
    expectPixels(image, {{{0, 0}, Color::Red},
                         {{97, 47}, Color::Green}, // the last sprite, drawn over the first
                         {{96, 46}, Color::Blue},  // the first, where nothing covers it
                         {{98, 49}, Color::Black}});
}
