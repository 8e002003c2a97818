// RixSDeform from a 4000 x 4000 equidistant source to 2048 x 2048
// perspective and equisolid destinations, for each interpolation, with the
// view angle changing between calls (as while dragging) and unchanged (as in
// a batch); the same source seen through a real lens (RixSDeformLens); the
// unchanged view once more on one thread, ideal and lens, whose CPU time
// stays steady while other processes share the cores; and the cost of
// re-creating a large image.
#include "image.h"
#include "image_store.h"
#include "rix.h"
#include "synthetic_photo.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using bench::kDstSide;

void deformBench(benchmark::State& state)
{
    const int dstProj = int(state.range(0));
    const int interp = int(state.range(1));
    const bool changing = state.range(2) != 0;
    const bool throughLens = state.range(3) != 0;
    RixSetThreads(int32_t(state.range(4)));
    // Near the equidistant projection, as real lenses are, to 95 degrees.
    const RixLens lens{{0.655, -0.0265, 0.0156, -0.00421, 0.0}, 95.0};
    const int32_t src = bench::syntheticPhoto();
    const int32_t dst = RixCreate(kDstSide, kDstSide);
    const ProjectionRecord dstPrm{1024.0, 1024.0, dstProj == 4 ? 900.0 : 1000.0, 0, 0, 0, dstProj};
    int call = 0;
    for (auto _ : state) {
        const double alpha = changing && (call++ & 1) ? 20.5 : 20.0;
        const ProjectionRecord srcPrm{
            2000.0, 2000.0, 1880.0, alpha, 12.0, 5.0, throughLens ? RixLensSource : RixEquidistant};
        benchmark::DoNotOptimize(throughLens ? RixSDeformLens(src, dst, &srcPrm, &lens, &dstPrm, interp)
                                             : RixSDeform(src, dst, &srcPrm, &dstPrm, interp));
    }
    RixDestroy(dst);
    RixSetThreads(0);
    state.SetItemsProcessed(state.iterations() * kDstSide * kDstSide);
}

void deformArgs(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"proj", "interp", "changing", "lens", "threads"});
    for (int proj : {4, 1})
        for (int interp = 0; interp < 3; ++interp) {
            for (int changing : {1, 0})
                b->Args({proj, interp, changing, 0, 0});
            b->Args({proj, interp, 0, 1, 0});
            for (int lens : {0, 1})
                b->Args({proj, interp, 0, lens, 1});
        }
}

// With --benchmark_repetitions, "min" beside median: the least disturbed
// repetition when other processes share the two cores.
double fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

BENCHMARK(deformBench)
    ->Apply(deformArgs)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("min", fastest);

// Destroying a 48 MB image, creating one of a similar size and writing all
// of it: what each batch file or each resizing Apply pays for memory.
void recreateImage(benchmark::State& state)
{
    int side = 0;
    for (auto _ : state) {
        const int32_t h = RixCreate(4000, 3000 - (side++ & 7));
        rix::Image& image = *rix::findImage(h);
        std::memset(image.data(), 0x40, std::size_t(image.width()) * image.height() * 4);
        benchmark::DoNotOptimize(image.data());
        RixDestroy(h);
    }
}

// The same without the library's buffers: fresh memory from the C++ heap
// (which maps it anew for sizes like these), for comparison.
void freshBuffer(benchmark::State& state)
{
    int side = 0;
    for (auto _ : state) {
        const std::size_t count = std::size_t(4000) * std::size_t(3000 - (side++ & 7));
        const auto pixels = std::make_unique<uint32_t[]>(count);
        std::memset(pixels.get(), 0x40, count * 4);
        benchmark::DoNotOptimize(pixels.get());
    }
}

BENCHMARK(recreateImage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(freshBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
