// The keyboard inspector's frame: the keyboard view's update, its 146 labels and the four texts,
// drawn into a window on SDL's offscreen driver. Reports the CPU time per frame and the heap
// allocations per frame of the view's update and draw (which should be none).
//
// Regime: warm caches; the glyphs and the GL driver's shader variants are built by five frames
// before the measurement.

#include "AllocationCounter.hpp"
#include "KeyNames.hpp"
#include "KeyboardView.hpp"
#include "ShinyText.hpp"

#include <mivra/Graphics.hpp>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace
{
struct Scene
{
    mivra::RenderWindow window{mivra::VideoMode({1280, 720}), "keyboard frame benchmark"};
    mivra::Font font{std::filesystem::path(MIVRA_RESOURCE_DIR) / "Tuffy.ttf"};
    keyboard::KeyboardView view{font};
    keyboard::ShinyText pressed{font, "Key Pressed\n\nKey::A\nScan::A", {16.f, 575.f}};
    keyboard::ShinyText released{font, "Key Released\n\nKey::A\nScan::A", {300.f, 575.f}};
    keyboard::ShinyText entered{font, "Text Entered\n\na\nU+0061", {600.f, 575.f}};
    mivra::Text held{font, mivra::String(), 18};
    std::string heldKeys;
    int frame = 0;

    Scene() { view.setPosition({16.f, 16.f}); }

    // One frame as the program runs it, a key event every fifth frame.
    void run(long& viewAllocations)
    {
        const mivra::Time elapsed = mivra::milliseconds(40);
        if (++frame % 5 == 0)
        {
            view.notifyPressed(mivra::Keyboard::Scan::A);
            pressed.flash(mivra::Color(0, 255, 0));
        }
        long before = mivra::test::allocationCount();
        view.update(elapsed);
        viewAllocations += mivra::test::allocationCount() - before;
        pressed.update(elapsed);
        released.update(elapsed);
        entered.update(elapsed);

        heldKeys = "isKeyPressed(mivra::Keyboard::Key)\n\n";
        for (int k = 0; k < mivra::Keyboard::KeyCount; ++k)
            if (mivra::Keyboard::isKeyPressed(static_cast<mivra::Keyboard::Key>(k)))
                heldKeys += keyboard::keyName(static_cast<mivra::Keyboard::Key>(k)) + "\n";
        held.setString(mivra::String(heldKeys));

        window.clear(mivra::Color(0, 0, 0, 255));
        before = mivra::test::allocationCount();
        window.draw(view);
        viewAllocations += mivra::test::allocationCount() - before;
        window.draw(pressed);
        window.draw(released);
        window.draw(entered);
        window.draw(held);
        window.display();
    }
};

void KeyboardFrame(benchmark::State& state)
{
    Scene scene;
    long viewAllocations = 0;
    for (int frame = 0; frame < 5; ++frame)
        scene.run(viewAllocations); // builds the glyphs and the GL driver's shader variants
    viewAllocations = 0;
    const long start = mivra::test::allocationCount();
    for (auto _ : state)
        scene.run(viewAllocations);
    const auto frames = static_cast<double>(state.iterations());
    state.counters["view_allocs/frame"] = static_cast<double>(viewAllocations) / frames;
    state.counters["all_allocs/frame"] = static_cast<double>(mivra::test::allocationCount() - start) / frames;
}
BENCHMARK(KeyboardFrame)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

// The view alone: update and draw, the part that must not allocate.
void KeyboardViewOnly(benchmark::State& state)
{
    Scene scene;
    long unused = 0;
    for (int frame = 0; frame < 5; ++frame)
        scene.run(unused);
    const long start = mivra::test::allocationCount();
    for (auto _ : state)
    {
        scene.view.update(mivra::milliseconds(40));
        scene.window.draw(scene.view);
    }
    scene.window.display();
    state.counters["allocs/frame"] = static_cast<double>(mivra::test::allocationCount() - start) /
                                     static_cast<double>(state.iterations());
}
BENCHMARK(KeyboardViewOnly)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
// The live key state a frame asks for: 101 key codes (the held-keys list) and 146 scancodes
// (the view's brightness).
void LiveKeyQueries(benchmark::State& state)
{
    Scene scene;
    int held = 0;
    for (auto _ : state)
    {
        for (int k = 0; k < mivra::Keyboard::KeyCount; ++k)
            held += mivra::Keyboard::isKeyPressed(static_cast<mivra::Keyboard::Key>(k));
        for (int s = 0; s < mivra::Keyboard::ScanCount; ++s)
            held += mivra::Keyboard::isKeyPressed(static_cast<mivra::Keyboard::Scan>(s));
    }
    benchmark::DoNotOptimize(held);
}
BENCHMARK(LiveKeyQueries)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
} // namespace

int main(int argc, char** argv)
{
    // Draw off screen unless told otherwise: no display is needed and no window pops up.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
