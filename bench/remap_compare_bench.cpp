// RixSDeform against OpenCV's cv::remap on the same geometry, in the same
// process: cv::remap gets its best case (maps computed beforehand, both as
// float maps and converted to its fixed-point form, two threads), while
// RixSDeform builds its geometry in every call, the view angle changing
// between calls as while dragging. Each case runs on two threads (wall
// time, the figure that matters) and on one (whose CPU time column stays
// meaningful when other work shares the machine).
#include "deform_geometry.h"
#include "deform_kernels.h"
#include "image.h"
#include "image_store.h"
#include "rix.h"
#include "synthetic_photo.h"
#include "thread_pool.h"

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

using bench::kDstSide;
using bench::kSrcSide;

ProjectionRecord sourceRecord(double alpha) { return {2000.0, 2000.0, 1880.0, alpha, 12.0, 5.0, 2}; }
ProjectionRecord destinationRecord(int proj) { return {1024.0, 1024.0, proj == 4 ? 900.0 : 1000.0, 0, 0, 0, proj}; }

// cv::remap's maps for our geometry: pixel centres at integer coordinates,
// memory rows bottom-up as in our images.
void buildMaps(int dstProj, cv::Mat& mapX, cv::Mat& mapY)
{
    const rix::DeformGeometry geometry(sourceRecord(20.0), destinationRecord(dstProj));
    mapX.create(kDstSide, kDstSide, CV_32FC1);
    mapY.create(kDstSide, kDstSide, CV_32FC1);
    for (int y = 0; y < kDstSide; ++y) {
        const rix::RowStart at = geometry.start(0, y);
        float* mx = mapX.ptr<float>(y);
        float* my = mapY.ptr<float>(y);
        rix::deformKernels(rix::KernelIsa::Reference)
            .mapRow(geometry.constants(), at.u0, at.du, at.v0, at.dv, kDstSide, mx, my);
        for (int x = 0; x < kDstSide; ++x) {
            mx[x] -= 0.5f;
            my[x] -= 0.5f;
        }
    }
}

constexpr int kCvInterp[] = {cv::INTER_NEAREST, cv::INTER_LINEAR, cv::INTER_CUBIC};

void cvRemap(benchmark::State& state)
{
    const int dstProj = int(state.range(0)), interp = int(state.range(1));
    const bool fixedPoint = state.range(2) != 0;
    cv::setNumThreads(int(state.range(3)));
    rix::Image& image = *rix::findImage(bench::syntheticPhoto());
    const cv::Mat src(kSrcSide, kSrcSide, CV_8UC4, image.data());
    cv::Mat mapX, mapY, dst(kDstSide, kDstSide, CV_8UC4);
    buildMaps(dstProj, mapX, mapY);
    if (fixedPoint) {
        cv::Mat m1, m2;
        cv::convertMaps(mapX, mapY, m1, m2, CV_16SC2, interp == 0);
        mapX = m1;
        mapY = m2;
    }
    for (auto _ : state)
        cv::remap(src, dst, mapX, mapY, kCvInterp[interp], cv::BORDER_CONSTANT, cv::Scalar(0, 0, 0, 255));
}

void rixDeform(benchmark::State& state)
{
    const int dstProj = int(state.range(0)), interp = int(state.range(1));
    const bool changing = state.range(2) != 0;
    rix::ThreadPool::instance().setThreadCount(int(state.range(3)));
    const int32_t src = bench::syntheticPhoto();
    const int32_t dst = RixCreate(kDstSide, kDstSide);
    const ProjectionRecord dstPrm = destinationRecord(dstProj);
    int call = 0;
    for (auto _ : state) {
        const ProjectionRecord srcPrm = sourceRecord(changing && (call++ & 1) ? 20.5 : 20.0);
        benchmark::DoNotOptimize(RixSDeform(src, dst, &srcPrm, &dstPrm, interp));
    }
    RixDestroy(dst);
}

// Third argument: cv::remap with fixed-point maps / RixSDeform with changing angles.
void compareArgs(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"proj", "interp", "mode", "threads"});
    for (int threads : {2, 1})
        for (int proj : {4, 1})
            for (int interp = 0; interp < 3; ++interp)
                for (int mode : {0, 1})
                    b->Args({proj, interp, mode, threads});
}

// With --benchmark_repetitions, "min" beside median: the least disturbed
// repetition when other processes share the two cores.
double fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

BENCHMARK(cvRemap)->Apply(compareArgs)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", fastest);
BENCHMARK(rixDeform)
    ->Apply(compareArgs)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("min", fastest);

} // namespace
