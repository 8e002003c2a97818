// RixStretchBlt into a 1024 x 1024 canvas at the views' zoom factors, and
// RixBound on 5- and 12-megapixel synthetic fisheye photos.
#include "image.h"
#include "image_store.h"
#include "rix.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int kCanvasSide = 1024;

int32_t patternImage(int32_t w, int32_t h)
{
    const int32_t handle = RixCreate(w, h);
    rix::Image& image = *rix::findImage(handle);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            image.row(y)[x] = rix::packRgb(uint8_t(x * 3 + y), uint8_t(x ^ y), uint8_t(y * 5));
    return handle;
}

// Zoom given as a percentage; the image is just large enough that the canvas
// is covered, as a scrolled view is (4096 x 4096 at 25 %).
void stretchBltBench(benchmark::State& state)
{
    const double scale = double(state.range(0)) / 100.0;
    const auto visible = int32_t(std::lround(kCanvasSide / scale));
    const int32_t image = patternImage(std::max(visible, 64) + 16, std::max(visible, 64) + 16);
    std::vector<uint32_t> pixels(std::size_t(kCanvasSide) * kCanvasSide);
    RixCanvas canvas{reinterpret_cast<uint8_t*>(pixels.data()), kCanvasSide, kCanvasSide, kCanvasSide * 4};
    for (auto _ : state) {
        benchmark::DoNotOptimize(RixStretchBlt(image, 8, 8, visible, visible, &canvas, 0, 0, kCanvasSide, kCanvasSide));
        benchmark::ClobberMemory();
    }
    RixDestroy(image);
    state.SetItemsProcessed(state.iterations() * kCanvasSide * kCanvasSide);
}
BENCHMARK(stretchBltBench)->ArgName("zoom%")->Arg(100)->Arg(25)->Arg(200)->Arg(800)->Unit(benchmark::kMicrosecond);

// A 4:3 fisheye photo `width` pixels wide: textured disc, dark rim, noisy
// black surround.
int32_t fisheyeImage(int32_t w)
{
    const int32_t h = w * 3 / 4;
    const double cx = w * 0.5025, cy = h * 0.4933, radius = w * 0.355;
    const int32_t handle = RixCreate(w, h);
    rix::Image& image = *rix::findImage(handle);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const double dx = x - cx, dy = y - cy;
            const double rho = std::hypot(dx, dy) / radius;
            uint8_t v = uint8_t((x * 7 + y * 3) % 5);
            if (rho <= 1)
                v = uint8_t(40 + 150 * (1 - rho * 0.8) * (0.6 + 0.4 * std::sin(dx * 0.05) * std::cos(dy * 0.03)));
            image.row(y)[x] = rix::packRgb(v, v, uint8_t(v / 2 + 20));
        }
    }
    return handle;
}

// Argument: the photo's width (2592: 5 Mpx, 4000: 12 Mpx).
void boundBench(benchmark::State& state)
{
    const int32_t image = fisheyeImage(int32_t(state.range(0)));
    RixRect box{};
    for (auto _ : state)
        benchmark::DoNotOptimize(RixBound(image, &box));
    RixDestroy(image);
}
BENCHMARK(boundBench)->ArgName("width")->Arg(2592)->Arg(4000)->Unit(benchmark::kMillisecond);

} // namespace
