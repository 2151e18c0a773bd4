// Many small draws a frame, the library against SDL's own renderer (opengl driver, batching on,
// vertical sync off) in one run, each in an 800 x 600 window:
//   sprites      10,000 alpha-blended 32 x 32 sprites of one texture
//   rectangles   10,000 filled rectangle shapes, blended (SDL: SDL_RenderFillRectF, SDL_BLENDMODE_BLEND)
//   texts        500 texts of 20 glyphs (SDL: one SDL_RenderCopyF per glyph quad from the same
//                glyph atlas, the layout computed once beforehand, as the library's texts keep theirs)
//   alternating  10,000 sprites alternating between two textures
// and the floor: the sprites' 60,000 vertices as one VertexArray, measured in turns with the
// sprites again (the row sprites').
//
// Each figure is the median of 15 frames after 3 warm-up frames, the contenders of a scene taking
// turns frame by frame: "frame" from the clear to the end of display() followed by glFinish (so
// that software rendering is counted), "submit" from the clear to just before display(), the draws
// sent (the library: setActive(), which sends the gathered draws; SDL: SDL_RenderFlush). The heap
// allocations per warm frame of the library's side are counted too.
//
// Regime: warm caches, the same vertices every frame.

#include "AllocationCounter.hpp"

#include <mivra/Graphics.hpp>

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace
{
constexpr int Width = 800;
constexpr int Height = 600;
constexpr int Count = 10'000;
constexpr int TextCount = 500;
constexpr int WarmUpFrames = 3;
constexpr int MeasuredFrames = 15;
constexpr unsigned TextSize = 14;

struct Figures
{
    double frameMs{};
    double submitMs{};
    double allocsPerFrame{};
};

double milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Contender
{
    std::function<void()> submit; // clears, draws and sends the draws
    std::function<void()> present;
};

// Runs frames of each contender in turn (so that all see the same load of the machine), timing
// the submission and the whole frame.
std::vector<Figures> measure(const std::vector<Contender>& contenders)
{
    std::vector<std::vector<double>> frames(contenders.size());
    std::vector<std::vector<double>> submits(contenders.size());
    std::vector<long> allocations(contenders.size());
    for (int i = 0; i < WarmUpFrames + MeasuredFrames; ++i)
        for (std::size_t c = 0; c < contenders.size(); ++c)
        {
            const long before = mivra::test::allocationCount();
            const auto start = std::chrono::steady_clock::now();
            contenders[c].submit();
            const auto submitted = std::chrono::steady_clock::now();
            contenders[c].present();
            glFinish();
            const auto end = std::chrono::steady_clock::now();
            if (i >= WarmUpFrames)
            {
                allocations[c] += mivra::test::allocationCount() - before;
                frames[c].push_back(milliseconds(end - start));
                submits[c].push_back(milliseconds(submitted - start));
            }
        }
    std::vector<Figures> figures;
    for (std::size_t c = 0; c < contenders.size(); ++c)
        figures.push_back(
            {median(frames[c]), median(submits[c]), static_cast<double>(allocations[c]) / MeasuredFrames});
    return figures;
}

// A 32 x 32 picture with soft edges, so that blending matters.
mivra::Image makeSpriteImage(mivra::Color tint)
{
    mivra::Image image({32, 32}, mivra::Color::Transparent);
    for (unsigned y = 0; y < 32; ++y)
        for (unsigned x = 0; x < 32; ++x)
        {
            const int dx = static_cast<int>(x) - 16;
            const int dy = static_cast<int>(y) - 16;
            const int d2 = dx * dx + dy * dy;
            const auto alpha = static_cast<std::uint8_t>(std::max(0, 255 - d2));
            image.setPixel({x, y}, mivra::Color(tint.r, tint.g, static_cast<std::uint8_t>(x * 8), alpha));
        }
    return image;
}

mivra::Vector2f positionOf(int i)
{
    // Deterministic and spread over the window.
    const unsigned h = static_cast<unsigned>(i) * 2654435761u;
    return {static_cast<float>(h % (Width - 32)), static_cast<float>((h >> 12) % (Height - 32))};
}

std::string textOf(int i)
{
    std::string s = "Label " + std::to_string(i);
    s += " abcdefghijklmnopqrst";
    return s.substr(0, 20);
}

SDL_Texture* sdlTexture(SDL_Renderer* renderer, const mivra::Image& image)
{
    SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC,
                                             static_cast<int>(image.getSize().x), static_cast<int>(image.getSize().y));
    SDL_UpdateTexture(texture, nullptr, image.getPixelsPtr(), static_cast<int>(image.getSize().x * 4));
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    return texture;
}

void printRow(const char* what, const Figures& ours, const Figures* theirs)
{
    if (theirs)
        std::printf("%-12s %10.2f %10.2f %10.2f %10.2f %9.2f %12.1f\n", what, ours.frameMs, theirs->frameMs,
                    ours.submitMs, theirs->submitMs, ours.frameMs / theirs->frameMs, ours.allocsPerFrame);
    else
        std::printf("%-12s %10.2f %10s %10.2f %10s %9s %12.1f\n", what, ours.frameMs, "-", ours.submitMs, "-", "-",
                    ours.allocsPerFrame);
}
} // namespace

int main()
{
    // The library's side.
    mivra::RenderWindow window(mivra::VideoMode({Width, Height}), "batch benchmark (library)");
    if (!window.isOpen())
        return 1;
    window.setVerticalSyncEnabled(false);

    const mivra::Image imageA = makeSpriteImage(mivra::Color(255, 80, 0));
    const mivra::Image imageB = makeSpriteImage(mivra::Color(0, 200, 255));
    mivra::Texture textureA;
    mivra::Texture textureB;
    if (!textureA.loadFromImage(imageA) || !textureB.loadFromImage(imageB))
        return 1;
    mivra::Font font("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");

    std::vector<mivra::Sprite> sprites;
    std::vector<mivra::Sprite> alternating;
    std::vector<mivra::RectangleShape> rectangles;
    std::vector<mivra::Text> texts;
    mivra::VertexArray floor(mivra::PrimitiveType::Triangles);
    sprites.reserve(Count);
    alternating.reserve(Count);
    rectangles.reserve(Count);
    texts.reserve(TextCount);
    for (int i = 0; i < Count; ++i)
    {
        const mivra::Vector2f p = positionOf(i);
        sprites.emplace_back(textureA).setPosition(p);
        alternating.emplace_back(i % 2 ? textureB : textureA).setPosition(p);
        mivra::RectangleShape& r = rectangles.emplace_back(mivra::Vector2f(20.f, 20.f));
        r.setPosition(p);
        r.setFillColor(mivra::Color(40, 160, 255, 128));
        const mivra::Vector2f corners[6] = {{0, 0}, {0, 32}, {32, 0}, {0, 32}, {32, 0}, {32, 32}};
        for (const mivra::Vector2f c : corners)
            floor.append(mivra::Vertex{p + c, mivra::Color::White, c});
    }
    for (int i = 0; i < TextCount; ++i)
    {
        mivra::Text& t = texts.emplace_back(font, textOf(i), TextSize);
        t.setPosition({static_cast<float>((i % 5) * 160), static_cast<float>((i / 5) * 6)});
        t.setFillColor(mivra::Color(255, 255, 255, 220));
    }

    // The glyphs are rendered into the font's atlas by a first frame.
    window.clear();
    for (const auto& t : texts)
        window.draw(t);
    window.display();

    // SDL's side, with the glyph atlas and the glyph quads the library's texts use.
    const mivra::Image atlas = font.getTexture(TextSize).copyToImage();
    struct Quad
    {
        SDL_Rect source;
        SDL_FRect destination;
    };
    std::vector<Quad> glyphQuads;
    for (int i = 0; i < TextCount; ++i)
    {
        const mivra::Vector2f origin = texts[static_cast<std::size_t>(i)].getPosition();
        float x = 0.f;
        const std::string s = textOf(i);
        for (const char c : s)
        {
            const mivra::Glyph& g = font.getGlyph(static_cast<unsigned char>(c), TextSize, false);
            if (g.textureRect.size.x > 0)
                glyphQuads.push_back(
                    {{g.textureRect.position.x, g.textureRect.position.y, g.textureRect.size.x, g.textureRect.size.y},
                     {origin.x + x + g.bounds.position.x, origin.y + static_cast<float>(TextSize) + g.bounds.position.y,
                      g.bounds.size.x, g.bounds.size.y}});
            x += g.advance;
        }
    }

    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    SDL_GL_ResetAttributes();
    SDL_Window* sdlWindow = SDL_CreateWindow("batch benchmark (SDL)", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                             Width, Height, SDL_WINDOW_OPENGL);
    SDL_Renderer* renderer = sdlWindow ? SDL_CreateRenderer(sdlWindow, -1, SDL_RENDERER_ACCELERATED) : nullptr;
    SDL_RendererInfo info{};
    if (!renderer || SDL_GetRendererInfo(renderer, &info) != 0 || std::string(info.name) != "opengl")
    {
        std::fprintf(stderr, "SDL's opengl renderer is not available: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Texture* sdlA = sdlTexture(renderer, imageA);
    SDL_Texture* sdlB = sdlTexture(renderer, imageB);
    SDL_Texture* sdlAtlas = sdlTexture(renderer, atlas);
    SDL_SetTextureColorMod(sdlAtlas, 255, 255, 255);
    SDL_SetTextureAlphaMod(sdlAtlas, 220);
    std::vector<SDL_FRect> destinations;
    for (int i = 0; i < Count; ++i)
    {
        const mivra::Vector2f p = positionOf(i);
        destinations.push_back({p.x, p.y, 32.f, 32.f});
    }

    // Sending the draws: setActive() sends what the window gathered, as SDL_RenderFlush does.
    auto ours = [&](std::function<void()> drawAll) {
        return Contender{[&, drawAll] {
                             window.clear(mivra::Color(30, 30, 40));
                             drawAll();
                             window.setActive(true);
                         },
                         [&] { window.display(); }};
    };
    auto theirs = [&](std::function<void()> drawAll) {
        return Contender{[&, drawAll] {
                             SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
                             SDL_SetRenderDrawColor(renderer, 30, 30, 40, 255);
                             SDL_RenderClear(renderer);
                             drawAll();
                             SDL_RenderFlush(renderer);
                         },
                         [&] { SDL_RenderPresent(renderer); }};
    };
    auto drawSprites = [&] {
        for (const auto& s : sprites)
            window.draw(s);
    };
    const std::vector<Figures> spritesFigures = measure({ours(drawSprites), theirs([&] {
                                                             for (const SDL_FRect& d : destinations)
                                                                 SDL_RenderCopyF(renderer, sdlA, nullptr, &d);
                                                         })});
    // The floor apart from SDL's window: switching windows costs a round trip to the X server,
    // whose time depends on what the other window sent before.
    const std::vector<Figures> floorFigures =
        measure({ours(drawSprites), ours([&] { window.draw(floor, mivra::RenderStates(&textureA)); })});
    const std::vector<Figures> rectanglesFigures = measure({ours([&] {
                                                                for (const auto& r : rectangles)
                                                                    window.draw(r);
                                                            }),
                                                            theirs([&] {
                                                                SDL_SetRenderDrawBlendMode(renderer,
                                                                                           SDL_BLENDMODE_BLEND);
                                                                SDL_SetRenderDrawColor(renderer, 40, 160, 255, 128);
                                                                for (const SDL_FRect& d : destinations)
                                                                {
                                                                    const SDL_FRect r{d.x, d.y, 20.f, 20.f};
                                                                    SDL_RenderFillRectF(renderer, &r);
                                                                }
                                                            })});
    const std::vector<Figures> textsFigures = measure({ours([&] {
                                                           for (const auto& t : texts)
                                                               window.draw(t);
                                                       }),
                                                       theirs([&] {
                                                           for (const Quad& q : glyphQuads)
                                                               SDL_RenderCopyF(renderer, sdlAtlas, &q.source,
                                                                               &q.destination);
                                                       })});
    const std::vector<Figures> alternatingFigures = measure({ours([&] {
                                                                 for (const auto& s : alternating)
                                                                     window.draw(s);
                                                             }),
                                                             theirs([&] {
                                                                 for (std::size_t i = 0; i < destinations.size(); ++i)
                                                                     SDL_RenderCopyF(renderer, i % 2 ? sdlB : sdlA,
                                                                                     nullptr, &destinations[i]);
                                                             })});

    std::printf("median of %d frames, %dx%d, milliseconds (ours = the library, SDL = SDL_Renderer opengl)\n",
                MeasuredFrames, Width, Height);
    std::printf("%-12s %10s %10s %10s %10s %9s %12s\n", "scene", "frame", "SDL frame", "submit", "SDL submit",
                "frame/SDL", "allocs/frame");
    printRow("sprites", spritesFigures[0], &spritesFigures[1]);
    printRow("sprites'", floorFigures[0], nullptr);
    printRow("floor", floorFigures[1], nullptr);
    printRow("rectangles", rectanglesFigures[0], &rectanglesFigures[1]);
    printRow("texts", textsFigures[0], &textsFigures[1]);
    printRow("alternating", alternatingFigures[0], &alternatingFigures[1]);
    std::printf("sprites' submit time / the floor's (measured together, without SDL): %.2f\n",
                floorFigures[0].submitMs / floorFigures[1].submitMs);

    SDL_DestroyTexture(sdlAtlas);
    SDL_DestroyTexture(sdlB);
    SDL_DestroyTexture(sdlA);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(sdlWindow);
    return 0;
}
