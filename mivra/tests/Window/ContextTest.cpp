#include <mivra/Window/Context.hpp>
#include <mivra/Window/Window.hpp>

#include "NullBackendWindow.hpp"

#include <SDL.h>
#include <gtest/gtest.h>

// Runs under SDL's offscreen driver: real OpenGL (EGL), no display needed.

namespace
{
constexpr unsigned int GL_TEXTURE_2D = 0x0DE1;
constexpr unsigned int GL_COLOR_BUFFER_BIT = 0x4000;
constexpr unsigned int GL_RGBA = 0x1908;
constexpr unsigned int GL_UNSIGNED_BYTE = 0x1401;
constexpr unsigned int GL_STENCIL_BITS = 0x0D57;

struct Gl
{
    template <typename F>
    static F get(const char* name)
    {
        auto f = reinterpret_cast<F>(mivra::Context::getFunction(name));
        EXPECT_NE(f, nullptr) << name;
        return f;
    }
};

using GenTextures = void (*)(int, unsigned int*);
using BindTexture = void (*)(unsigned int, unsigned int);
using IsTexture = unsigned char (*)(unsigned int);
using DeleteTextures = void (*)(int, const unsigned int*);
using ClearColor = void (*)(float, float, float, float);
using Clear = void (*)(unsigned int);
using ReadPixels = void (*)(int, int, int, int, unsigned int, unsigned int, void*);
using GetIntegerv = void (*)(unsigned int, int*);
} // namespace

TEST(Context, EnsureActiveMakesAContextCurrentWithoutAnyWindow)
{
    ASSERT_TRUE(mivra::Context::ensureActive());
    EXPECT_NE(SDL_GL_GetCurrentContext(), nullptr);
    EXPECT_NE(mivra::Context::getFunction("glGetString"), nullptr);
    // Asking again keeps the current context.
    const SDL_GLContext current = SDL_GL_GetCurrentContext();
    ASSERT_TRUE(mivra::Context::ensureActive());
    EXPECT_EQ(SDL_GL_GetCurrentContext(), current);
}

TEST(Context, OwnContextIsCurrentUntilReleasedThenEnsureActiveFallsBack)
{
    mivra::Context context;
    const SDL_GLContext own = SDL_GL_GetCurrentContext();
    ASSERT_NE(own, nullptr);
    const auto& settings = context.getSettings();
    EXPECT_GE(settings.majorVersion * 10 + settings.minorVersion, 21u);
    EXPECT_EQ(settings.attributeFlags & mivra::ContextSettings::Core, 0u);

    ASSERT_TRUE(context.setActive(false));
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
    ASSERT_TRUE(mivra::Context::ensureActive());
    EXPECT_NE(SDL_GL_GetCurrentContext(), nullptr);
    EXPECT_NE(SDL_GL_GetCurrentContext(), own);
    ASSERT_TRUE(context.setActive(true));
    EXPECT_EQ(SDL_GL_GetCurrentContext(), own);
}

TEST(Context, ExtensionsAreQueriedFromTheDriver)
{
    EXPECT_TRUE(mivra::Context::isExtensionAvailable("GL_ARB_framebuffer_object"));
    EXPECT_FALSE(mivra::Context::isExtensionAvailable("GL_MIVRA_no_such_extension"));
}

TEST(WindowContext, DefaultRequestGivesACompatibilityContext)
{
    mivra::Window window(mivra::VideoMode({64, 64}), "compat");
    ASSERT_TRUE(window.isOpen());
    const auto& settings = window.getSettings();
    EXPECT_EQ(settings.attributeFlags & mivra::ContextSettings::Core, 0u);
    // Fixed-function state and GLSL 1.20 need at least 2.1.
    EXPECT_GE(settings.majorVersion * 10 + settings.minorVersion, 21u);
}

TEST(WindowContext, StencilBitsAreGrantedAndReported)
{
    mivra::ContextSettings request;
    request.stencilBits = 8;
    mivra::Window window(mivra::VideoMode({64, 64}), "stencil", mivra::Style::Default, mivra::State::Windowed, request);
    ASSERT_TRUE(window.isOpen());
    EXPECT_EQ(window.getSettings().stencilBits, 8u);
    ASSERT_TRUE(window.setActive());
    int bits = 0;
    Gl::get<GetIntegerv>("glGetIntegerv")(GL_STENCIL_BITS, &bits);
    EXPECT_EQ(bits, 8);
}

TEST(WindowContext, ObjectsMadeBeforeTheWindowAreSharedWithIt)
{
    ASSERT_TRUE(mivra::Context::ensureActive());
    unsigned int texture = 0;
    Gl::get<GenTextures>("glGenTextures")(1, &texture);
    Gl::get<BindTexture>("glBindTexture")(GL_TEXTURE_2D, texture);
    ASSERT_NE(texture, 0u);

    mivra::Window window(mivra::VideoMode({64, 64}), "shared");
    ASSERT_TRUE(window.isOpen());
    ASSERT_TRUE(window.setActive());
    EXPECT_EQ(Gl::get<IsTexture>("glIsTexture")(texture), 1);
    Gl::get<DeleteTextures>("glDeleteTextures")(1, &texture);
}

TEST(WindowContext, DrawsIntoItsFramebuffer)
{
    mivra::Window window(mivra::VideoMode({32, 16}), "pixels");
    ASSERT_TRUE(window.isOpen());
    ASSERT_TRUE(window.setActive());
    Gl::get<ClearColor>("glClearColor")(1.f, 0.5f, 0.f, 1.f);
    Gl::get<Clear>("glClear")(GL_COLOR_BUFFER_BIT);
    unsigned char pixel[4] = {};
    Gl::get<ReadPixels>("glReadPixels")(5, 5, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_NEAR(pixel[1], 128, 1);
    EXPECT_EQ(pixel[2], 0);
    window.display();
}

TEST(WindowContext, ClosingReleasesTheContextAndLeavesEnsureActiveWorking)
{
    mivra::Window window(mivra::VideoMode({64, 64}), "closing");
    ASSERT_TRUE(window.isOpen());
    ASSERT_TRUE(window.setActive());
    window.close();
    EXPECT_FALSE(window.isOpen());
    EXPECT_FALSE(window.setActive());
    EXPECT_FALSE(window.pollEvent());
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
    EXPECT_TRUE(mivra::Context::ensureActive());

    // A closed window can be opened again.
    window.create(mivra::VideoMode({32, 32}), "again");
    EXPECT_TRUE(window.isOpen());
    EXPECT_TRUE(window.setActive());
}

TEST(NullBackendWindow, DrawsInTheHiddenContextAndSwapsOnlyWhileOpen)
{
    mivra::test::NullBackendWindow<mivra::Window> window(mivra::VideoMode({100, 100}), "display");
    ASSERT_TRUE(window.isOnNullBackend());
    EXPECT_TRUE(window.setActive());
    EXPECT_NE(SDL_GL_GetCurrentContext(), nullptr);
    window.display();
    window.display();
    EXPECT_EQ(window.backend().getSwapCount(), 2);
    window.close();
    window.display(); // no window: nothing to do, no crash
    EXPECT_FALSE(window.setActive());
}
