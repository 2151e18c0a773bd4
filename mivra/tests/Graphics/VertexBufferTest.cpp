#include <mivra/Graphics/RenderTexture.hpp>
#include <mivra/Graphics/VertexBuffer.hpp>

#include "../Support/DiagnosticCapture.hpp"
#include "RenderTestSupport.hpp"

#include <array>
#include <vector>

namespace mivra
{
namespace
{
// Two triangles covering the rectangle [x0, x1) x [y0, y1), in one colour.
std::array<Vertex, 6> quad(float x0, float y0, float x1, float y1, Color color)
{
    return {Vertex{{x0, y0}, color}, Vertex{{x0, y1}, color}, Vertex{{x1, y1}, color},
            Vertex{{x0, y0}, color}, Vertex{{x1, y1}, color}, Vertex{{x1, y0}, color}};
}

// Left half red, right half green, as one buffer of twelve vertices.
std::vector<Vertex> twoHalves()
{
    std::vector<Vertex> vertices;
    for (const Vertex& v : quad(0, 0, 32, 64, Color::Red))
        vertices.push_back(v);
    for (const Vertex& v : quad(32, 0, 64, 64, Color::Green))
        vertices.push_back(v);
    return vertices;
}

class VertexBufferTest : public test::RenderTest
{
protected:
    Image draw(const VertexBuffer& buffer)
    {
        target.clear(Color::Black);
        target.draw(buffer);
        return snapshot(target);
    }

    RenderTexture target{{64, 64}};
};

TEST_F(VertexBufferTest, CreatedBufferDrawsItsVertices)
{
    ASSERT_TRUE(VertexBuffer::isAvailable());
    VertexBuffer buffer(PrimitiveType::Triangles, VertexBuffer::Usage::Static);
    EXPECT_EQ(buffer.getNativeHandle(), 0u);
    ASSERT_TRUE(buffer.create(12));
    EXPECT_NE(buffer.getNativeHandle(), 0u);
    EXPECT_EQ(buffer.getVertexCount(), 12u);
    EXPECT_EQ(buffer.getUsage(), VertexBuffer::Usage::Static);
    const auto vertices = twoHalves();
    ASSERT_TRUE(buffer.update(vertices.data()));
    const Image picture = draw(buffer);
    EXPECT_EQ(picture.getPixel({10, 30}), Color::Red);
    EXPECT_EQ(picture.getPixel({50, 30}), Color::Green);
}

TEST_F(VertexBufferTest, PartialUpdatesReplaceOnlyTheirRange)
{
    VertexBuffer buffer(PrimitiveType::Triangles);
    ASSERT_TRUE(buffer.create(12));
    const auto vertices = twoHalves();
    ASSERT_TRUE(buffer.update(vertices.data()));
    const auto blue = quad(32, 0, 64, 64, Color::Blue);
    ASSERT_TRUE(buffer.update(blue.data(), blue.size(), 6));
    Image picture = draw(buffer);
    EXPECT_EQ(picture.getPixel({10, 30}), Color::Red);
    EXPECT_EQ(picture.getPixel({50, 30}), Color::Blue);

    // A range past the end is refused and changes nothing.
    EXPECT_FALSE(buffer.update(vertices.data(), 6, 7));
    EXPECT_FALSE(buffer.update(vertices.data(), 1, 13));
    EXPECT_EQ(buffer.getVertexCount(), 12u);
    picture = draw(buffer);
    EXPECT_EQ(picture.getPixel({50, 30}), Color::Blue);
}

TEST_F(VertexBufferTest, UpdateFromTheStartMayGrowTheBuffer)
{
    VertexBuffer buffer(PrimitiveType::Triangles);
    ASSERT_TRUE(buffer.create(6));
    const auto vertices = twoHalves();
    ASSERT_TRUE(buffer.update(vertices.data(), vertices.size(), 0));
    EXPECT_EQ(buffer.getVertexCount(), 12u);
    EXPECT_EQ(draw(buffer).getPixel({50, 30}), Color::Green);
}

TEST_F(VertexBufferTest, UpdateBeforeCreateFails)
{
    VertexBuffer buffer;
    const auto vertices = twoHalves();
    EXPECT_FALSE(buffer.update(vertices.data()));
    EXPECT_FALSE(buffer.update(vertices.data(), 6, 0));
    EXPECT_EQ(draw(buffer).getPixel({10, 30}), Color::Black);
}

TEST_F(VertexBufferTest, DrawsARangeAndFollowsThePrimitiveType)
{
    VertexBuffer buffer(PrimitiveType::Triangles);
    ASSERT_TRUE(buffer.create(12));
    const auto vertices = twoHalves();
    ASSERT_TRUE(buffer.update(vertices.data()));
    target.clear(Color::Black);
    target.draw(buffer, 6, 100); // clipped to the six vertices left
    Image picture = snapshot(target);
    EXPECT_EQ(picture.getPixel({10, 30}), Color::Black);
    EXPECT_EQ(picture.getPixel({50, 30}), Color::Green);

    // As points only the corners light up.
    buffer.setPrimitiveType(PrimitiveType::Points);
    picture = draw(buffer);
    EXPECT_EQ(picture.getPixel({10, 30}), Color::Black);
    EXPECT_EQ(picture.getPixel({50, 30}), Color::Black);
}

TEST_F(VertexBufferTest, ClientVerticesDrawnAfterABufferAreUnaffected)
{
    VertexBuffer buffer(PrimitiveType::Triangles);
    ASSERT_TRUE(buffer.create(12));
    const auto vertices = twoHalves();
    ASSERT_TRUE(buffer.update(vertices.data()));
    const auto blue = quad(0, 0, 16, 16, Color::Blue);
    target.clear(Color::Black);
    target.draw(buffer);
    target.draw(blue.data(), blue.size(), PrimitiveType::Triangles);
    const Image picture = snapshot(target);
    EXPECT_EQ(picture.getPixel({8, 8}), Color::Blue);
    EXPECT_EQ(picture.getPixel({10, 30}), Color::Red);
}

TEST_F(VertexBufferTest, CopiesOwnTheirContents)
{
    VertexBuffer buffer(PrimitiveType::Triangles);
    ASSERT_TRUE(buffer.create(12));
    const auto vertices = twoHalves();
    ASSERT_TRUE(buffer.update(vertices.data()));
    const VertexBuffer copy(buffer);
    EXPECT_NE(copy.getNativeHandle(), buffer.getNativeHandle());
    EXPECT_EQ(copy.getVertexCount(), 12u);
    const auto blue = quad(0, 0, 32, 64, Color::Blue);
    ASSERT_TRUE(buffer.update(blue.data(), blue.size(), 0));
    EXPECT_EQ(draw(copy).getPixel({10, 30}), Color::Red);
    EXPECT_EQ(draw(buffer).getPixel({10, 30}), Color::Blue);

    VertexBuffer moved(std::move(buffer));
    EXPECT_EQ(buffer.getNativeHandle(), 0u);
    EXPECT_EQ(draw(moved).getPixel({10, 30}), Color::Blue);
}

TEST_F(VertexBufferTest, GraphicsFailuresAreOneDiagnosticLineEach)
{
    test::DiagnosticCapture diagnostics;
    VertexBuffer buffer(PrimitiveType::Triangles);
    const auto vertices = twoHalves();
    EXPECT_FALSE(buffer.update(vertices.data()));
    ASSERT_TRUE(buffer.create(12));
    EXPECT_FALSE(buffer.update(vertices.data(), 6, 7));
    Texture texture;
    EXPECT_FALSE(texture.create({0, 4}));
    EXPECT_FALSE(texture.loadFromImage(Image()));
    RenderTexture renderTexture;
    EXPECT_FALSE(renderTexture.create({4, 0}));

    const std::vector<std::string> expected{
        "mivra: cannot update the vertex buffer: the buffer has not been created",
        "mivra: cannot update the vertex buffer: 6 vertices from 7 do not fit in a buffer of 12",
        "mivra: cannot create the texture: invalid size 0x4",
        "mivra: cannot load the texture from the image: the image is empty",
        "mivra: cannot create the render texture: invalid size 4x0",
    };
    EXPECT_EQ(diagnostics.take(), expected);
}
} // namespace
} // namespace mivra
