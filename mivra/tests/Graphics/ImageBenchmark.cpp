// Decoding speed of Image::loadFromMemory on the resource images the programs load: the 800x600
// JPEG backdrop of the shader gallery and a PNG of the same family. The file is read once before
// timing; each iteration decodes into a new Image, as a program loading its resources does, so
// the figures include the pixel buffers' allocation. Two regimes: warm, where the allocator hands
// back memory it got from the previous load, and cold, where it is made to give its free memory
// back to the system between loads (untimed), so that every page of the pixels faults in anew as
// on a program's first load.
#include <mivra/Graphics/Image.hpp>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
std::vector<char> readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void load(benchmark::State& state, const std::string& path, bool cold)
{
    const std::vector<char> bytes = readFile(path);
    if (bytes.empty())
    {
        state.SkipWithError(("cannot read " + path).c_str());
        return;
    }
    std::size_t pixels = 0;
    for (auto _ : state)
    {
        mivra::Image image;
        if (!image.loadFromMemory(bytes.data(), bytes.size()))
        {
            state.SkipWithError(("cannot decode " + path).c_str());
            return;
        }
        pixels = static_cast<std::size_t>(image.getSize().x) * image.getSize().y;
        benchmark::DoNotOptimize(image.getPixelsPtr());
        if (cold)
        {
            state.PauseTiming();
            image = mivra::Image();
            malloc_trim(0);
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * pixels));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void loadWarm(benchmark::State& state, const std::string& path)
{
    load(state, path, false);
}

void loadCold(benchmark::State& state, const std::string& path)
{
    load(state, path, true);
}

const std::string jpegFile = MIVRA_STAGED_RESOURCES "/background.jpg"; // 800 x 600, baseline 4:2:0
const std::string pngFile = MIVRA_STAGED_RESOURCES "/mivra.png";       // 530 x 400, RGBA
} // namespace

BENCHMARK_CAPTURE(loadWarm, jpeg_800x600, jpegFile)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(loadCold, jpeg_800x600, jpegFile)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(loadWarm, png_530x400, pngFile)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(loadCold, png_530x400, pngFile)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
