// Canopy measurement of a 2560 x 1920 (5 Mpx) photo with an equidistant
// circle of radius 940 (2.8 million pixels inside), on one core: the pixel
// figures with the geometry already built for the circle (every photo after
// the first of a series), the first photo of a new circle, and the dot
// figures with their bootstrap; and the whole measurement karwen-cli
// measure makes of a decoded photo.
#include "area_model.h"
#include "dot_figures.h"
#include "dot_gaps.h"
#include "image.h"
#include "image_row.h"
#include "image_store.h"
#include "pixel_figures.h"
#include "projection_model.h"

#include <benchmark/benchmark.h>

#include <algorithm>
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

// What karwen-cli measure does with each decoded photo, on one core: the
// photo converted, nearest pixel, into the 1000 x 1000 equisolid view of
// the sample dots, then the pixel and the dot figures. Arg 0: every photo
// through the same circle (--circle), so the geometry is built once; arg 1:
// a circle a little off the last one for every photo, as --detect-circle
// may find them, so it is built for every photo.
void BM_MeasurePhoto(benchmark::State& state)
{
    startUp();
    (void)RixSetThreads(1);
    const int32_t photoImage = RixCreate(kWidth, kHeight);
    rix::Image& image = *rix::findImage(photoImage);
    for (int y = 0; y < kHeight; ++y)
        std::copy_n(photo().data() + std::size_t(y) * kWidth, kWidth, image.row(y));
    const int32_t dotsView = RixCreate(1000, 1000);
    const ProjectionRecord viewRecord{500.0, 500.0, 500.0, 0.0, 0.0, 0.0, kEquisolidangle};
    const bool newCircle = state.range(0) == 1;
    ProjectionRecord source = record();
    for (auto _ : state) {
        if (newCircle)
            source.R = source.R == 940.0 ? 940.5 : 940.0;
        (void)RixSDeform(photoImage, dotsView, &source, &viewRecord, 0);
        benchmark::DoNotOptimize(measureImages("photo.jpg", photoImage, source, dotsView, viewRecord, {}));
    }
    (void)RixDestroy(photoImage);
    (void)RixDestroy(dotsView);
    (void)RixSetThreads(0);
    state.SetLabel(newCircle ? "a new circle per photo" : "the same circle");
}
BENCHMARK(BM_MeasurePhoto)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
