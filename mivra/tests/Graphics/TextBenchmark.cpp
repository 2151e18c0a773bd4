// Costs of redrawing text, in the steady state of a program that rewrites and redraws 24 log
// lines through one Text object every frame (glyphs cached, buffers reused). Reports the time
// and the operator new calls per iteration.
#include "AllocationCounter.hpp"

#include <mivra/Graphics/Font.hpp>
#include <mivra/Graphics/RenderTexture.hpp>
#include <mivra/Graphics/Text.hpp>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace
{
const char* const FontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::vector<mivra::String> logLines(int frame)
{
    std::vector<mivra::String> lines;
    for (int i = 0; i < 24; ++i)
    {
        char line[64];
        std::snprintf(line, sizeof line, "Mouse Moved: (%d, %d)", 100 + (frame + i) % 700, 50 + (frame * 3 + i) % 500);
        lines.emplace_back(line);
    }
    return lines;
}

// Restring and lay out one line: what Text does on the CPU per log line.
void textLayout(benchmark::State& state)
{
    const mivra::Font font(FontFile);
    mivra::Text text(font, "", 20);
    const std::vector<mivra::String> lines = logLines(0);
    for (const auto& line : lines) // warm the glyph cache
    {
        text.setString(line);
        (void)text.getLocalBounds();
    }
    std::size_t index = 0;
    std::size_t allocations = 0;
    for (auto _ : state)
    {
        mivra::test::AllocationCounter counter;
        text.setString(lines[index++ % lines.size()]);
        benchmark::DoNotOptimize(text.getLocalBounds());
        allocations += counter.count();
    }
    state.counters["allocs/iter"] = benchmark::Counter(static_cast<double>(allocations),
                                                       benchmark::Counter::kAvgIterations);
}
BENCHMARK(textLayout);

// A whole frame of 24 lines drawn into an 800 x 600 render texture, finished with display().
void textFrame(benchmark::State& state)
{
    const mivra::Font font(FontFile);
    mivra::Text text(font, "", 20);
    mivra::RenderTexture target({800, 600});
    std::vector<std::vector<mivra::String>> frames;
    for (int f = 0; f < 8; ++f)
        frames.push_back(logLines(f));
    auto drawFrame = [&](const std::vector<mivra::String>& lines) {
        target.clear(mivra::Color::Black);
        for (std::size_t i = 0; i < lines.size(); ++i)
        {
            text.setPosition({50.f, 50.f + 20.f * static_cast<float>(i)});
            text.setString(lines[i]);
            target.draw(text);
        }
        target.display();
    };
    for (const auto& lines : frames)
        drawFrame(lines);

    std::size_t frame = 0;
    std::size_t allocations = 0;
    for (auto _ : state)
    {
        mivra::test::AllocationCounter counter;
        drawFrame(frames[frame++ % frames.size()]);
        allocations += counter.count();
    }
    state.counters["allocs/frame"] = benchmark::Counter(static_cast<double>(allocations),
                                                        benchmark::Counter::kAvgIterations);
}
BENCHMARK(textFrame)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
