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
#include "light_model.h"
#include "light_row.h"
#include "pixel_figures.h"
#include "projection_model.h"
#include "sky_pixels.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
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
                p[std::size_t(y) * kWidth + std::size_t(x)] = sky
                    ? 0xff000000u | ((150 + n) << 16) | ((190 + n) << 8) | (230 + n)
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

// Arg 0: the blue channel, 1: luma; the second arg the threshold method
// (0 Otsu, 1 Ridler, 2 Minimum, 3 edge detection, which passes over the
// pixels once more for their neighbours).
void BM_PixelFigures(benchmark::State& state)
{
    startUp();
    CanopySettings settings;
    settings.channel = state.range(0) == 0 ? Channel::Blue : Channel::Luma;
    settings.method = static_cast<ThresholdMethod>(state.range(1));
    benchmark::DoNotOptimize(measurePixels(view(), record(), nullptr, settings)); // builds the geometry
    for (auto _ : state)
        benchmark::DoNotOptimize(measurePixels(view(), record(), nullptr, settings));
    const char* methods[] = {"Otsu", "Ridler", "Minimum", "edge"};
    state.SetLabel(std::string(state.range(0) == 0 ? "blue, " : "luma, ") + methods[state.range(1)]);
}
BENCHMARK(BM_PixelFigures)->ArgsProduct({{0, 1}, {0, 1, 2, 3}})->Unit(benchmark::kMillisecond);

// The geometry built anew for every photo (a new tilt each time). Arg 0:
// the view along the camera axis; arg 1: a view 10 degrees off it.
void BM_PixelFiguresNewCircle(benchmark::State& state)
{
    startUp();
    ProjectionRecord source = record();
    source.Alpha = state.range(0) == 1 ? 10.0 : 0.0;
    for (auto _ : state) {
        source.Rot += 1.0;
        benchmark::DoNotOptimize(measurePixels(view(), source, nullptr, CanopySettings{}));
    }
    state.SetLabel(state.range(0) == 1 ? "view off the axis" : "view along the axis");
}
BENCHMARK(BM_PixelFiguresNewCircle)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The pixels the Canopy window tints as sky ("Show sky"), the geometry
// already built by the measurement.
void BM_SkyRuns(benchmark::State& state)
{
    startUp();
    const PixelFigures figures = measurePixels(view(), record(), nullptr, CanopySettings{});
    for (auto _ : state)
        benchmark::DoNotOptimize(skyRuns(view(), record(), nullptr, CanopySettings{}, figures.threshold));
}
BENCHMARK(BM_SkyRuns)->Unit(benchmark::kMillisecond);

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
// pixel figures, then the dot figures, the dots read from the photo as its
// nearest-pixel conversion into the 1000 x 1000 equisolid view would show
// them (the view itself is never made). Arg 0: every photo
// through the same circle (--circle), so the geometry is built once; arg 1:
// a centre half a pixel off the last one for every photo, as --detect-circle
// finds them on the photos of one camera, so the geometry is built for every
// photo; arg 2: the radius new as well, every time (the worst case); arg
// 3: the same circle as arg 0, thresholded by edge detection, which passes
// over the pixels once more for their neighbours; arg 4: the same circle as
// arg 0 seen through a real lens (a cubic lens function) instead of the
// equidistant projection; arg 5: the same circle as arg 0 with the light
// figures of a season (the sun's track and the regions' weights worked out
// once, before the timing); arg 6: as arg 5 with a top azimuth of its own
// for every photo.
void BM_MeasurePhoto(benchmark::State& state)
{
    startUp();
    (void)RixSetThreads(1);
    const int32_t photoImage = RixCreate(kWidth, kHeight);
    rix::Image& image = *rix::findImage(photoImage);
    for (int y = 0; y < kHeight; ++y)
        std::copy_n(photo().data() + std::size_t(y) * kWidth, kWidth, image.row(y));
    const ProjectionRecord viewRecord{500.0, 500.0, 500.0, 0.0, 0.0, 0.0, kEquisolidangle};
    ProjectionRecord source = record();
    const double t = 1.5707963267948966, s = 0.6 * t + 0.04 * t * t + 0.02 * t * t * t;
    const RixLens lens{{0.6 / s, 0.04 / s, 0.02 / s, 0.0, 0.0}, 95.0};
    const bool throughLens = state.range(0) == 4;
    if (throughLens)
        source.Proj = RixLensSource;
    const bool edge = state.range(0) == 3;
    CanopySettings settings;
    if (edge)
        settings.method = ThresholdMethod::Edge;
    LightRequest light;
    light.settings.site = {50.0, 10.0, 300.0, 1.0};
    light.settings.period = {{2021, 5, 1}, {2021, 9, 30}};
    const LightRequest* withLight = state.range(0) >= 5 ? &light : nullptr;
    (void)light::sharedLightModel(light.settings);
    for (auto _ : state) {
        if (state.range(0) == 1 || state.range(0) == 2)
            source.Cx = source.Cx == 1280.0 ? 1280.5 : 1280.0;
        if (state.range(0) == 2)
            source.R += 0.5;
        if (state.range(0) == 6)
            light.orientation.topAzimuthDeg = std::fmod(light.orientation.topAzimuthDeg + 7.3, 360.0);
        benchmark::DoNotOptimize(measurePhoto("photo.jpg", photoImage, source, throughLens ? &lens : nullptr,
            viewRecord, 1000, 1000, settings, withLight));
    }
    (void)RixDestroy(photoImage);
    (void)RixSetThreads(0);
    const char* labels[] = {"the same circle", "a new centre per photo", "a new centre and radius per photo",
        "the same circle, edge detection", "the same circle through a lens", "the same circle with light",
        "the same circle with light, a top azimuth per photo"};
    state.SetLabel(labels[state.range(0)]);
}
BENCHMARK(BM_MeasurePhoto)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

// The same measurement of a real photo (KARWEN_BENCH_PHOTO, by default one
// of the test photos, skipped when absent) through the circle found on it:
// its neighbours are alike far more often than the synthetic photo's noisy
// ones. Arg: the threshold method, as in BM_PixelFigures.
void BM_MeasureRealPhoto(benchmark::State& state)
{
    startUp();
    const char* given = std::getenv("KARWEN_BENCH_PHOTO");
    const std::string path = given != nullptr ? given : KARWEN_REAL_PHOTOS "/broadleaf_dusk_fce9.jpg";
    (void)RixSetThreads(1);
    const int32_t photoImage = RixLoadJPG(path.c_str());
    RixCircle circle{};
    if (photoImage <= 0 || RixFindCircle(photoImage, &circle) <= 0) {
        state.SkipWithError(("no photo with a circle at " + path).c_str());
        return;
    }
    const ProjectionRecord source{circle.Cx, circle.Cy, circle.R, 0.0, 0.0, 0.0, kEquidistant};
    const ProjectionRecord viewRecord{500.0, 500.0, 500.0, 0.0, 0.0, 0.0, kEquisolidangle};
    CanopySettings settings;
    settings.method = static_cast<ThresholdMethod>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(measurePhoto(path, photoImage, source, nullptr, viewRecord, 1000, 1000, settings));
    (void)RixDestroy(photoImage);
    (void)RixSetThreads(0);
    const char* methods[] = {"Otsu", "Ridler", "Minimum", "edge"};
    state.SetLabel(methods[state.range(0)]);
}
BENCHMARK(BM_MeasureRealPhoto)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);

} // namespace
