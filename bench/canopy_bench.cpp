// Canopy measurement of a 2560 x 1920 (5 Mpx) photo with an equidistant
// circle of radius 940 (2.8 million pixels inside), on one core: the pixel
// figures with the geometry already built for the circle (every photo after
// the first of a series), the first photo of a new circle, and the dot
// figures with their bootstrap.
#include "area_model.h"
#include "dot_figures.h"
#include "dot_gaps.h"
#include "pixel_figures.h"
#include "projection_model.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

using namespace karwen;
using namespace karwen::canopy;

constexpr int kWidth = 2560;
constexpr int kHeight = 1920;

// Bands of sky and canopy with a little noise in every channel.
const std::vector<uint32_t>& photo()
{
    static const std::vector<uint32_t> pixels = [] {
        std::vector<uint32_t> p(std::size_t(kWidth) * kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const uint32_t n = (uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u) % 23u;
                const bool sky = (x / 41 + y / 67) % 3 == 0;
                p[std::size_t(y) * kWidth + std::size_t(x)] =
                    sky ? 0xff000000u | ((150 + n) << 16) | ((190 + n) << 8) | (230 + n)
                        : 0xff000000u | ((30 + n) << 16) | ((60 + n) << 8) | (20 + n);
            }
        return p;
    }();
    return pixels;
}

PixelView view() { return {photo().data(), kWidth, kHeight, kWidth}; }

ProjectionRecord record(double rot = 0.0) { return {1280.0, 960.0, 940.0, 0.0, 0.0, rot, kEquidistant}; }

void startUp()
{
    static const bool done = [] {
        initCoefTables();
        InitAreaTables();
        return true;
    }();
    (void)done;
}

void BM_PixelFigures(benchmark::State& state)
{
    startUp();
    CanopySettings settings;
    settings.channel = state.range(0) == 0 ? Channel::Blue : Channel::Luma;
    benchmark::DoNotOptimize(measurePixels(view(), record(), settings)); // builds the geometry
    for (auto _ : state)
        benchmark::DoNotOptimize(measurePixels(view(), record(), settings));
    state.SetLabel(state.range(0) == 0 ? "blue" : "luma");
}
BENCHMARK(BM_PixelFigures)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PixelFiguresNewCircle(benchmark::State& state)
{
    startUp();
    double rot = 0.0;
    for (auto _ : state) {
        rot += 1.0; // a new record every time: the geometry is built anew
        benchmark::DoNotOptimize(measurePixels(view(), record(rot), CanopySettings{}));
    }
}
BENCHMARK(BM_PixelFiguresNewCircle)->Unit(benchmark::kMillisecond);

void BM_DotFigures(benchmark::State& state)
{
    startUp();
    const ProjectionRecord dst{1280.0, 960.0, 940.0, 0.0, 0.0, 0.0, kEquidistant};
    const auto reading = classifyDots(view(), dst, CanopySettings{}, 127);
    for (auto _ : state)
        benchmark::DoNotOptimize(measureDots(reading->gaps, kEquidistant, CanopySettings{}));
}
BENCHMARK(BM_DotFigures)->Unit(benchmark::kMillisecond);

} // namespace
