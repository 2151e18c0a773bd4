#include "RenderTestSupport.hpp"
#include "../Support/DiagnosticCapture.hpp"
#include "../Support/TempDir.hpp"

#include <mivra/Graphics/CircleShape.hpp>
#include <mivra/Graphics/Font.hpp>
#include <mivra/Graphics/RectangleShape.hpp>
#include <mivra/Graphics/Sprite.hpp>
#include <mivra/Graphics/Text.hpp>
#include <mivra/Graphics/VertexArray.hpp>
#include <mivra/Graphics/VertexBuffer.hpp>
#include <mivra/System/Exception.hpp>

#include <gmock/gmock.h>

#include <fstream>
#include <string>
#include <vector>
#include <unistd.h>

using namespace mivra;
using mivra::test::RenderTest;

namespace
{
const Color Background(10, 20, 30);
}

TEST_F(RenderTest, FilledAndOutlinedRectangles)
{
    RenderTexture target({80, 60});
    target.clear(Background);
    RectangleShape filled({40.f, 20.f});
    filled.setPosition({10.f, 10.f});
    filled.setFillColor(Color::Red);
    target.draw(filled);

    RectangleShape outlined({20.f, 20.f});
    outlined.setPosition({55.f, 30.f});
    outlined.setFillColor(Color::Green);
    outlined.setOutlineThickness(3.f);
    outlined.setOutlineColor(Color::Blue);
    target.draw(outlined);

    const Image image = snapshot(target);
    ASSERT_EQ(image.getSize(), Vector2u(80, 60));
    // The picture is the right way up: the red bar sits near the top left.
    expectPixels(image, {{{10, 10}, Color::Red},
                         {{49, 29}, Color::Red},
                         {{50, 15}, Background},
                         {{20, 30}, Background},
                         {{9, 10}, Background}});

    expectPixels(image, {{{60, 40}, Color::Green},
                         {{53, 40}, Color::Blue}, // outline lies outside the rectangle
                         {{52, 27}, Color::Blue},
                         {{76, 52}, Color::Blue},
                         {{51, 40}, Background}});
}

TEST_F(RenderTest, CirclesAndTransforms)
{
    RenderTexture target({100, 100});
    target.clear(Color::Black);
    CircleShape circle(10.f, 60);
    circle.setPosition({30.f, 30.f});
    circle.setOutlineThickness(2.f);
    circle.setOutlineColor(Color::Red);
    target.draw(circle);

    // Rotated a quarter turn about its top-left corner: it hangs down and to the left of (90, 10).
    RectangleShape bar({30.f, 10.f});
    bar.setPosition({90.f, 10.f});
    bar.setRotation(degrees(90.f));
    bar.setFillColor(Color::Green);
    target.draw(bar);

    const Image image = snapshot(target);
    expectPixels(image, {{{40, 40}, Color::White},
                         {{30, 30}, Color::Black}, // the box's corner is outside the circle
                         {{40, 29}, Color::Red},   // the outline above the top
                         {{40, 50}, Color::Red},
                         {{40, 54}, Color::Black}});

    expectPixels(image, {{{85, 25}, Color::Green}, {{95, 25}, Color::Black}, {{85, 45}, Color::Black}});
}

TEST_F(RenderTest, BlendModes)
{
    RenderTexture target({10, 10});
    target.clear(Color(100, 0, 0));
    const Vertex quad[] = {{{0.f, 0.f}, Color(100, 50, 0)},
                           {{10.f, 0.f}, Color(100, 50, 0)},
                           {{0.f, 5.f}, Color(100, 50, 0)},
                           {{10.f, 5.f}, Color(100, 50, 0)}};
    target.draw(quad, 4, PrimitiveType::TriangleStrip, RenderStates(BlendAdd));
    const Vertex half[] = {{{0.f, 5.f}, Color(0, 0, 255, 128)},
                           {{10.f, 5.f}, Color(0, 0, 255, 128)},
                           {{0.f, 10.f}, Color(0, 0, 255, 128)},
                           {{10.f, 10.f}, Color(0, 0, 255, 128)}};
    target.draw(half, 4, PrimitiveType::TriangleStrip);
    const Image image = snapshot(target);
    EXPECT_TRUE(near(image.getPixel({5, 2}), Color(200, 50, 0))) << ::testing::PrintToString(image.getPixel({5, 2}));
    EXPECT_TRUE(near(image.getPixel({5, 7}), Color(50, 0, 128))) << ::testing::PrintToString(image.getPixel({5, 7}));
}

TEST_F(RenderTest, SpritesShowTheirRectangleTintedByTheirColour)
{
    // Left half red, right half cyan.
    Image picture({64, 32}, Color::Red);
    for (unsigned y = 0; y < 32; ++y)
        for (unsigned x = 32; x < 64; ++x)
            picture.setPixel({x, y}, Color::Cyan);
    picture.setPixel({32, 0}, Color::Yellow); // marks the top-left corner of the right half
    Texture texture;
    ASSERT_TRUE(texture.loadFromImage(picture));

    RenderTexture target({100, 50});
    target.clear(Color::Black);
    Sprite sprite(texture, IntRect({32, 0}, {32, 32}));
    sprite.setPosition({10.f, 5.f});
    sprite.setColor(Color(255, 128, 255));
    target.draw(sprite);

    Sprite whole(texture);
    whole.setPosition({50.f, 18.f});
    whole.setScale({0.5f, 0.5f});
    target.draw(whole);

    const Image image = snapshot(target);
    expectPixels(image, {{{10, 5}, Color(255, 128, 0)},  // yellow marker, tinted
                         {{20, 20}, Color(0, 128, 255)}, // cyan, tinted
                         {{44, 20}, Color::Black},
                         {{55, 12}, Color::Black},
                         {{55, 25}, Color::Red}, // the whole texture at half size
                         {{75, 25}, Color::Cyan},
                         {{83, 25}, Color::Black}});
}

TEST_F(RenderTest, TextPixelsLieWithinItsBounds)
{
    const Font font(test::fontPath());
    Text text(font, "Mivra Text", 30);
    text.setPosition({10.f, 5.f});
    text.setFillColor(Color::Red);

    RenderTexture target({220, 60});
    target.clear(Color::Black);
    target.draw(text);
    const Image image = snapshot(target);

    const FloatRect bounds = text.getGlobalBounds();
    unsigned inside = 0;
    unsigned strayOutside = 0;
    for (unsigned y = 0; y < 60; ++y)
        for (unsigned x = 0; x < 220; ++x)
        {
            const Color c = image.getPixel({x, y});
            const bool lit = c != Color::Black;
            const FloatRect grown({bounds.position.x - 1, bounds.position.y - 1},
                                  {bounds.size.x + 2, bounds.size.y + 2});
            if (grown.contains({static_cast<float>(x), static_cast<float>(y)}))
            {
                inside += c.r > 200 ? 1 : 0;
                EXPECT_EQ(c.g, 0);
                EXPECT_EQ(c.b, 0);
            }
            else if (lit)
                ++strayOutside;
        }
    EXPECT_GT(inside, 200u);
    EXPECT_EQ(strayOutside, 0u);
    // The stem of the "M" is solid.
    EXPECT_EQ(
        image.getPixel({static_cast<unsigned>(bounds.position.x + 1), static_cast<unsigned>(bounds.position.y + 10)}),
        Color::Red);
}

TEST_F(RenderTest, TextOutlineSurroundsTheFill)
{
    const Font font(test::fontPath());
    Text text(font, "I", 40);
    text.setPosition({20.f, 0.f});
    text.setFillColor(Color::White);
    text.setOutlineColor(Color::Blue);
    text.setOutlineThickness(3.f);
    RenderTexture target({80, 60});
    target.clear(Color::Black);
    target.draw(text);
    const Image image = snapshot(target);

    const Glyph& stem = font.getGlyph(U'I', 40, false);
    const auto left = static_cast<unsigned>(20.f + stem.bounds.position.x);
    const auto right = static_cast<unsigned>(20.f + stem.bounds.position.x + stem.bounds.size.x);
    const unsigned y = 20;
    expectPixels(image, {{{(left + right) / 2, y}, Color::White},
                         {{left - 2, y}, Color::Blue},
                         {{right + 1, y}, Color::Blue},
                         {{left - 6, y}, Color::Black}});
}

TEST_F(RenderTest, ManyTextsThroughOneObjectAndASavedPicture)
{
    const Font font(test::fontPath());
    Text line(font, "", 20);
    RenderTexture target({300, 120});
    target.clear(Color::Black);
    const char* lines[] = {"Mouse Moved: (1, 2)", "Mouse Pressed", "Key Pressed: Enter"};
    for (int i = 0; i < 3; ++i)
    {
        line.setPosition({10.f, 10.f + 30.f * static_cast<float>(i)});
        line.setString(lines[i]);
        target.draw(line);
    }
    const Image image = snapshot(target);
    // Each line left its own pixels.
    for (int i = 0; i < 3; ++i)
    {
        unsigned lit = 0;
        for (unsigned y = 10 + 30 * i; y < 10 + 30 * i + 28; ++y)
            for (unsigned x = 0; x < 300; ++x)
                lit += image.getPixel({x, y}).r > 128 ? 1 : 0;
        EXPECT_GT(lit, 50u) << "line " << i;
    }

    const mivra::test::TempDir scratch;
    const auto file = scratch.path() / "text.png";
    ASSERT_TRUE(image.saveToFile(file));
    const Image loaded(file);
    ASSERT_EQ(loaded.getSize(), image.getSize());
    for (unsigned y = 0; y < 120; y += 3)
        for (unsigned x = 0; x < 300; x += 3)
            ASSERT_EQ(loaded.getPixel({x, y}), image.getPixel({x, y}));
}

TEST_F(RenderTest, RenderTextureDrawnIntoAnotherKeepsItsOrientation)
{
    RenderTexture canvas({40, 40});
    canvas.clear(Color::White);
    RectangleShape mark({10.f, 10.f});
    mark.setFillColor(Color::Red);
    canvas.draw(mark); // top-left corner
    canvas.display();

    RenderTexture screen({60, 60});
    screen.clear(Color::Black);
    Sprite sprite(canvas.getTexture());
    sprite.setPosition({10.f, 10.f});
    screen.draw(sprite);
    RectangleShape after({5.f, 5.f});
    after.setPosition({55.f, 55.f});
    after.setFillColor(Color::Green);
    screen.draw(after); // untextured after a textured draw
    const Image image = snapshot(screen);
    expectPixels(image, {{{12, 12}, Color::Red},
                         {{45, 45}, Color::White},
                         {{12, 45}, Color::White},
                         {{57, 57}, Color::Green},
                         {{5, 5}, Color::Black}});
}

TEST_F(RenderTest, ViewsScaleWhatIsDrawn)
{
    RenderTexture target({100, 100});
    target.setView(View({25.f, 25.f}, {50.f, 50.f}));
    target.clear(Color::Black);
    RectangleShape square({10.f, 10.f});
    square.setPosition({10.f, 10.f});
    target.draw(square);
    const Image image = snapshot(target);
    expectPixels(image, {{{21, 21}, Color::White}, {{38, 38}, Color::White}, {{41, 41}, Color::Black}});
    EXPECT_EQ(target.mapPixelToCoords({40, 40}), Vector2f(20.f, 20.f));
}

TEST_F(RenderTest, FailingRenderTextures)
{
    RenderTexture target;
    EXPECT_FALSE(target.resize({0, 10}));
    {
        // One failure, one line: the texture beneath does not add a line of its own.
        test::DiagnosticCapture diagnostics;
        EXPECT_FALSE(target.resize({1u << 30, 10}));
        const std::vector<std::string> lines = diagnostics.take();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_THAT(lines[0],
                    testing::StartsWith("mivra: cannot create the render texture: cannot make its texture: "));
        try
        {
            RenderTexture tooLarge({1u << 30, 10});
            ADD_FAILURE() << "a render texture too large for the driver was made";
        }
        catch (const Exception& e)
        {
            EXPECT_EQ(e.what(), lines[0]);
        }
        EXPECT_TRUE(diagnostics.take().empty());
    }
    EXPECT_THROW(RenderTexture(Vector2u(0, 0)), Exception);
    EXPECT_TRUE(target.resize({8, 8}));
    EXPECT_EQ(target.getDefaultView().getSize(), Vector2f(8.f, 8.f));
}

TEST_F(RenderTest, VertexBuffersDrawWholeOrInPart)
{
    ASSERT_TRUE(VertexBuffer::isAvailable());
    // Two quads as triangles: the left one red, the right one blue.
    const Vertex vertices[] = {
        {{0.f, 0.f}, Color::Red},    {{10.f, 0.f}, Color::Red},  {{0.f, 10.f}, Color::Red},
        {{0.f, 10.f}, Color::Red},   {{10.f, 0.f}, Color::Red},  {{10.f, 10.f}, Color::Red},
        {{10.f, 0.f}, Color::Blue},  {{20.f, 0.f}, Color::Blue}, {{10.f, 10.f}, Color::Blue},
        {{10.f, 10.f}, Color::Blue}, {{20.f, 0.f}, Color::Blue}, {{20.f, 10.f}, Color::Blue},
    };
    VertexBuffer buffer(PrimitiveType::Triangles, VertexBuffer::Usage::Static);
    ASSERT_TRUE(buffer.create(12));
    ASSERT_TRUE(buffer.update(vertices));

    RenderTexture target({20, 30});
    target.clear(Color::Black);
    target.draw(buffer);
    Transform down;
    down.translate({0.f, 10.f});
    target.draw(buffer, 6, 100, RenderStates(down)); // the blue quad only, the count clipped
    // Client-side vertices still work after a buffer was drawn.
    const Vertex strip[] = {{{0.f, 20.f}, Color::Green},
                            {{20.f, 20.f}, Color::Green},
                            {{0.f, 30.f}, Color::Green},
                            {{20.f, 30.f}, Color::Green}};
    target.draw(strip, 4, PrimitiveType::TriangleStrip);
    const Image image = snapshot(target);
    expectPixels(image, {{{5, 5}, Color::Red},
                         {{15, 5}, Color::Blue},
                         {{5, 15}, Color::Black},
                         {{15, 15}, Color::Blue},
                         {{10, 25}, Color::Green}});
}

TEST_F(RenderTest, MovedRenderTextureKeepsDrawing)
{
    RenderTexture first({10, 10});
    first.clear(Color::Red);
    RenderTexture moved(std::move(first));
    RectangleShape corner({5.f, 5.f});
    corner.setFillColor(Color::Blue);
    moved.draw(corner);
    Image image = snapshot(moved);
    EXPECT_EQ(image.getPixel({1, 1}), Color::Blue);
    EXPECT_EQ(image.getPixel({8, 8}), Color::Red);

    RenderTexture assigned;
    assigned = std::move(moved);
    assigned.clear(Color::Green);
    image = snapshot(assigned);
    EXPECT_EQ(image.getPixel({1, 1}), Color::Green);
    EXPECT_EQ(assigned.getSize(), Vector2u(10, 10));
}

TEST_F(RenderTest, AntiAliasedRenderTextureSmoothsEdges)
{
    ContextSettings settings;
    settings.antiAliasingLevel = 4;
    auto countPartial = [](const Image& image) {
        unsigned partial = 0;
        for (unsigned y = 0; y < image.getSize().y; ++y)
            for (unsigned x = 0; x < image.getSize().x; ++x)
            {
                const std::uint8_t r = image.getPixel({x, y}).r;
                partial += (r > 20 && r < 235) ? 1 : 0;
            }
        return partial;
    };
    const Vertex triangle[] = {{{0.f, 0.f}, Color::Red}, {{32.f, 5.f}, Color::Red}, {{3.f, 32.f}, Color::Red}};

    RenderTexture smooth({32, 32}, settings);
    smooth.clear(Color::Black);
    smooth.draw(triangle, 3, PrimitiveType::Triangles);
    RenderTexture sharp({32, 32});
    sharp.clear(Color::Black);
    sharp.draw(triangle, 3, PrimitiveType::Triangles);

    EXPECT_EQ(countPartial(snapshot(sharp)), 0u);
    const Image smoothed = snapshot(smooth);
    EXPECT_GT(countPartial(smoothed), 10u);
    EXPECT_EQ(smoothed.getPixel({5, 5}), Color::Red);
}

TEST_F(RenderTest, TexturesLoadUpdateCopyAndRepeat)
{
    const mivra::test::TempDir scratch;
    const std::filesystem::path& dir = scratch.path();
    Image picture({4, 4}, Color::Blue);
    picture.setPixel({3, 0}, Color::Yellow);
    ASSERT_TRUE(picture.saveToFile(dir / "picture.png"));
    std::ofstream(dir / "corrupt.png") << "not a picture";

    const Texture loaded(dir / "picture.png");
    EXPECT_EQ(loaded.getSize(), Vector2u(4, 4));
    EXPECT_NE(loaded.getNativeHandle(), 0u);
    EXPECT_EQ(loaded.copyToImage().getPixel({3, 0}), Color::Yellow);
    try
    {
        const Texture missing(dir / "missing.png");
        FAIL() << "a missing texture loaded";
    }
    catch (const Exception& e)
    {
        EXPECT_NE(std::string(e.what()).find((dir / "missing.png").string()), std::string::npos) << e.what();
    }
    Texture texture;
    EXPECT_FALSE(texture.loadFromFile(dir / "corrupt.png"));
    EXPECT_EQ(texture.getSize(), Vector2u(0, 0));

    // A part of an image, then a region updated in place.
    ASSERT_TRUE(texture.loadFromImage(picture, false, IntRect({2, 0}, {2, 2})));
    EXPECT_EQ(texture.getSize(), Vector2u(2, 2));
    EXPECT_EQ(texture.copyToImage().getPixel({1, 0}), Color::Yellow);
    const std::uint8_t green[4] = {0, 255, 0, 255};
    texture.update(green, {1, 1}, {0, 1});
    const Texture copy(texture);
    const Image copied = copy.copyToImage();
    expectPixels(copied, {{{0, 1}, Color::Green}, {{1, 0}, Color::Yellow}, {{0, 0}, Color::Blue}});

    // A repeated texture tiles a sprite larger than itself; a clamped one stretches its edge.
    Texture tile;
    ASSERT_TRUE(tile.loadFromImage(picture));
    tile.setRepeated(true);
    RenderTexture target({8, 4});
    target.clear(Color::Black);
    target.draw(Sprite(tile, IntRect({0, 0}, {8, 4})));
    Image image = snapshot(target);
    EXPECT_EQ(image.getPixel({7, 0}), Color::Yellow);
    EXPECT_EQ(image.getPixel({5, 0}), Color::Blue);
    tile.setRepeated(false);
    target.draw(Sprite(tile, IntRect({0, 0}, {8, 4})));
    image = snapshot(target);
    EXPECT_EQ(image.getPixel({7, 0}), Color::Yellow);
    EXPECT_EQ(image.getPixel({5, 0}), Color::Yellow);
}

TEST_F(RenderTest, UnderlineAndStrikeThroughSpanTheLine)
{
    const Font font(test::fontPath());
    Text text(font, "o o o", 30);
    text.setStyle(Text::Underlined | Text::StrikeThrough);
    RenderTexture target({120, 50});
    target.clear(Color::Black);
    target.draw(text);
    const Image image = snapshot(target);

    auto rowIsSolid = [&](float y) {
        const auto row = static_cast<unsigned>(y);
        // Across the gaps between the letters too.
        for (unsigned x = 2; x + 2 < static_cast<unsigned>(text.findCharacterPos(5).x); ++x)
            if (image.getPixel({x, row}).r < 200)
                return false;
        return true;
    };
    const float baseline = 30.f;
    EXPECT_TRUE(rowIsSolid(baseline + font.getUnderlinePosition(30)));
    const Glyph& x = font.getGlyph(U'x', 30, false);
    EXPECT_TRUE(rowIsSolid(baseline + x.bounds.position.y + x.bounds.size.y / 2.f));
    EXPECT_FALSE(rowIsSolid(baseline - 2.f)); // between the two lines only the letters
}

TEST_F(RenderTest, SmoothTexturesBlendNeighbouringTexels)
{
    Image picture({2, 1}, Color::Black);
    picture.setPixel({1, 0}, Color::White);
    Texture texture;
    ASSERT_TRUE(texture.loadFromImage(picture));
    RenderTexture target({40, 10});
    Sprite sprite(texture);
    sprite.setScale({20.f, 10.f});

    target.clear(Color::Red);
    target.draw(sprite);
    Image image = snapshot(target);
    EXPECT_EQ(image.getPixel({19, 5}), Color::Black); // nearest texel: a hard edge
    EXPECT_EQ(image.getPixel({20, 5}), Color::White);

    texture.setSmooth(true);
    EXPECT_TRUE(texture.isSmooth());
    target.draw(sprite);
    image = snapshot(target);
    const std::uint8_t left = image.getPixel({19, 5}).r;
    const std::uint8_t right = image.getPixel({20, 5}).r;
    EXPECT_GT(left, 100);
    EXPECT_LT(left, 155);
    EXPECT_GT(right, 100);
    EXPECT_LT(right, 155);
}
