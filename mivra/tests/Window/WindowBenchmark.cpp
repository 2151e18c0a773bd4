// Costs of the window module's per-frame services. Runs under SDL's dummy video driver.

#include <mivra/Window/Keyboard.hpp>
#include <mivra/Window/WindowBase.hpp>

#include "NullBackendWindow.hpp"
#include "detail/SdlEventTranslation.hpp"
#include "detail/TouchState.hpp"

#include <SDL.h>
#include <benchmark/benchmark.h>

namespace
{
// A frame that drains 30 queued mouse moves, as an event log under a moving mouse sees them.
void drainThirtyEvents(benchmark::State& state)
{
    mivra::test::NullBackendWindow<mivra::WindowBase> window(mivra::VideoMode({800, 600}), "bench");
    mivra::detail::NullWindowImpl* impl = &window.backend();
    for (auto _ : state)
    {
        for (int i = 0; i < 30; ++i)
            impl->pushEvent(mivra::Event::MouseMoved{{i, 2 * i}});
        int sum = 0;
        while (const auto event = window.pollEvent())
            sum += event->getIf<mivra::Event::MouseMoved>()->position.x;
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(drainThirtyEvents);

void translateKeyEvent(benchmark::State& state)
{
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.scancode = SDL_SCANCODE_RETURN;
    e.key.keysym.sym = SDLK_RETURN;
    mivra::detail::TouchState touches;
    const mivra::detail::TranslationContext context{{800, 600}, {0, 0}, &touches};
    std::vector<mivra::Event> out;
    for (auto _ : state)
    {
        out.clear();
        mivra::detail::translateSdlEvent(e, context, out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(translateKeyEvent);

// What a keyboard view asks every frame: the state of all 146 scancodes.
void sweepKeyStates(benchmark::State& state)
{
    mivra::WindowBase window(mivra::VideoMode({64, 64}), "bench");
    for (auto _ : state)
    {
        int down = 0;
        for (int i = 0; i < mivra::Keyboard::ScanCount; ++i)
            down += mivra::Keyboard::isKeyPressed(static_cast<mivra::Keyboard::Scan>(i)) ? 1 : 0;
        benchmark::DoNotOptimize(down);
    }
}
BENCHMARK(sweepKeyStates);

void describeEveryScancode(benchmark::State& state)
{
    for (auto _ : state)
        for (int i = 0; i < mivra::Keyboard::ScanCount; ++i)
            benchmark::DoNotOptimize(mivra::Keyboard::getDescription(static_cast<mivra::Keyboard::Scan>(i)));
}
BENCHMARK(describeEveryScancode);
} // namespace

BENCHMARK_MAIN();
