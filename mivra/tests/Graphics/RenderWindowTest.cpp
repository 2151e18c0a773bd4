#include "RenderTestSupport.hpp"

#include <mivra/Graphics/RectangleShape.hpp>
#include <mivra/Graphics/RenderWindow.hpp>
#include <mivra/Graphics/Sprite.hpp>

#include <epoxy/gl.h>

#include <vector>

using namespace mivra;
using mivra::test::RenderTest;

namespace
{
// Reads one pixel of the window's back buffer (before display, where the frame still is). The
// render target's setActive sends the draws still gathered in a batch first.
Color backBufferPixel(RenderWindow& window, unsigned x, unsigned y)
{
    window.setActive(true);
    glReadBuffer(GL_BACK);
    unsigned char rgba[4] = {};
    glReadPixels(static_cast<GLint>(x), static_cast<GLint>(window.getSize().y - 1 - y), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                 rgba);
    return {rgba[0], rgba[1], rgba[2], 255};
}
} // namespace

TEST_F(RenderTest, RenderWindowDrawsWithAStencilBuffer)
{
    ContextSettings settings;
    settings.stencilBits = 8;
    RenderWindow window(VideoMode({120, 80}), "Mivra Render Window Test", Style::Titlebar | Style::Close,
                        State::Windowed, settings);
    ASSERT_TRUE(window.isOpen());
    EXPECT_GE(window.getSettings().stencilBits, 8u);
    EXPECT_EQ(window.getDefaultView().getSize(), Vector2f(120.f, 80.f));

    window.clear(Color::Black, 0);
    RectangleShape mask({60.f, 80.f});
    window.draw(mask,
                RenderStates(StencilMode{StencilComparison::Always, StencilUpdateOperation::Replace, 1, ~0u, true}));
    RectangleShape paint({120.f, 80.f});
    paint.setFillColor(Color::Green);
    window.draw(paint,
                RenderStates(StencilMode{StencilComparison::Equal, StencilUpdateOperation::Keep, 1, ~0u, false}));
    EXPECT_EQ(backBufferPixel(window, 10, 10), Color::Green);
    EXPECT_EQ(backBufferPixel(window, 100, 70), Color::Black);
    window.display();
}

TEST_F(RenderTest, RenderWindowDefaultViewFollowsItsSize)
{
    RenderWindow window(VideoMode({100, 100}), "Mivra Resize Test", Style::Default);
    ASSERT_TRUE(window.isOpen());
    const View fixed({50.f, 50.f}, {100.f, 100.f});
    window.setView(fixed);
    window.setSize({200, 100});
    if (window.getSize() != Vector2u(200, 100))
        GTEST_SKIP() << "the video driver did not resize the window";
    EXPECT_EQ(window.getDefaultView().getSize(), Vector2f(200.f, 100.f));
    EXPECT_EQ(window.getView().getSize(), Vector2f(100.f, 100.f));                // the view set is kept...
    EXPECT_EQ(window.getViewport(window.getView()), IntRect({0, 0}, {200, 100})); // ...and stretched
    // The window and the render target it also is agree on its pixels.
    EXPECT_EQ(window.getPixelRatio(), static_cast<const RenderTarget&>(window).getPixelRatio());

    // Drawing uses the new viewport: the left half of the view fills the left half of the window.
    window.clear(Color::Black);
    RectangleShape half({50.f, 100.f});
    half.setFillColor(Color::Red);
    window.draw(half);
    EXPECT_EQ(backBufferPixel(window, 90, 50), Color::Red);
    EXPECT_EQ(backBufferPixel(window, 110, 50), Color::Black);
    window.display();
}

TEST_F(RenderTest, RenderTexturePostEffectIntoTheWindow)
{
    RenderWindow window(VideoMode({60, 40}), "Mivra Post-effect Test", Style::Titlebar | Style::Close);
    ASSERT_TRUE(window.isOpen());
    RenderTexture canvas({60, 40});
    for (int frame = 0; frame < 3; ++frame)
    {
        // Each frame paints the canvas anew, as a post-effect scene does, then shows it.
        const Color colour = frame % 2 ? Color::Blue : Color::Yellow;
        canvas.clear(Color::White);
        RectangleShape block({20.f, 10.f});
        block.setFillColor(colour);
        canvas.draw(block);
        canvas.display();

        window.clear(Color::Black);
        window.draw(Sprite(canvas.getTexture()));
        EXPECT_EQ(backBufferPixel(window, 5, 5), colour) << "frame " << frame;
        EXPECT_EQ(backBufferPixel(window, 50, 30), Color::White) << "frame " << frame;
        window.display();
    }
}

namespace
{
// What code written against the window module alone does with the window it is handed.
void present(Window& window)
{
    window.display();
}

void activate(Window& window)
{
    window.setActive(true);
}
} // namespace

TEST_F(RenderTest, RenderWindowReachedThroughAWindowSendsItsDraws)
{
    // Read straight from OpenGL, with nothing of the render target's own in between that could
    // send the batch: what the Window call left is what is read.
    struct Case
    {
        const char* name;
        void (*reach)(Window&);
        GLenum buffer;
    };
    for (const Case& c : {Case{"display", present, GL_FRONT}, Case{"setActive", activate, GL_BACK}})
    {
        RenderWindow window(VideoMode({40, 40}), "Mivra Window Reference Test", Style::Titlebar | Style::Close);
        ASSERT_TRUE(window.isOpen());
        window.clear(Color::Black);
        RectangleShape square({20.f, 20.f});
        square.setFillColor(Color::Red);
        window.draw(square);
        c.reach(window);
        glReadBuffer(c.buffer);
        unsigned char rgba[4] = {};
        glReadPixels(10, 40 - 1 - 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        EXPECT_EQ(Color(rgba[0], rgba[1], rgba[2]), Color::Red) << c.name << " through a Window&";
    }
}
