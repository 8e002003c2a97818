// JPEG loading of a 12-megapixel file: the whole RixLoadJPG call against a
// bare TurboJPEG decode of the same bytes into a buffer that already exists,
// so the library's overhead (file read, allocation, first touch) is visible.
#include "memory_codecs.h"
#include "rix.h"

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
const char* const kPath = "/tmp/karwen_bench_12mp.jpg";

// A smooth picture with fine grain, so the file has a photo-like bit rate.
std::vector<uint8_t> syntheticPhoto()
{
    std::vector<uint8_t> p(std::size_t(kWidth) * kHeight * 3);
    uint32_t noise = 12345;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = int(noise >> 27) - 16;
            const double r = 128 + 90 * std::sin(x / 300.0) * std::cos(y / 200.0);
            const double g = 255.0 * y / kHeight;
            const double b = 128 + 90 * std::cos((x + y) / 500.0);
            uint8_t* px = &p[(std::size_t(y) * kWidth + x) * 3];
            px[0] = uint8_t(std::clamp(int(r) + grain, 0, 255));
            px[1] = uint8_t(std::clamp(int(g) + grain, 0, 255));
            px[2] = uint8_t(std::clamp(int(b) + grain, 0, 255));
        }
    return p;
}

// Writes the test file once per process (quality 90, 4:2:0) and returns its bytes.
const std::vector<uint8_t>& jpegBytes()
{
    static const std::vector<uint8_t> bytes = [] {
        const std::vector<uint8_t> pixels = syntheticPhoto();
        tjhandle tj = tjInitCompress();
        unsigned char* out = nullptr;
        unsigned long size = 0;
        tjCompress2(
            tj, pixels.data(), kWidth, kWidth * 3, kHeight, TJPF_RGB, &out, &size, TJSAMP_420, 90, TJFLAG_ACCURATEDCT);
        std::vector<uint8_t> result(out, out + size);
        tjFree(out);
        tjDestroy(tj);
        std::ofstream(kPath, std::ios::binary)
            .write(reinterpret_cast<const char*>(result.data()), std::streamsize(result.size()));
        return result;
    }();
    return bytes;
}

void BM_RixLoadJPG(benchmark::State& state)
{
    state.counters["file_MB"] = double(jpegBytes().size()) / 1e6;
    for (auto _ : state) {
        const int32_t handle = RixLoadJPG(kPath);
        if (handle < 1) {
            state.SkipWithError(RixLastError());
            break;
        }
        RixDestroy(handle);
    }
}

// The library's decoder on bytes already in memory: no file read.
void BM_RixLoadJpegFromMemory(benchmark::State& state)
{
    const std::vector<uint8_t>& bytes = jpegBytes();
    for (auto _ : state) {
        auto image = rix::loadJpegFromMemory(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(image->data());
    }
}

// The floor: header and decode into a preallocated, already touched buffer.
void BM_TurboJpegIntoPreallocated(benchmark::State& state)
{
    const std::vector<uint8_t>& bytes = jpegBytes();
    std::vector<uint32_t> buffer(std::size_t(kWidth) * kHeight, 0);
    tjhandle tj = tjInitDecompress();
    for (auto _ : state) {
        int w = 0, h = 0, subsampling = 0, colorspace = 0;
        tjDecompressHeader3(tj, bytes.data(), bytes.size(), &w, &h, &subsampling, &colorspace);
        if (tjDecompress2(tj, bytes.data(), bytes.size(), reinterpret_cast<unsigned char*>(buffer.data()), w, w * 4, h,
                TJPF_BGRA, TJFLAG_BOTTOMUP | TJFLAG_ACCURATEDCT | TJFLAG_LIMITSCANS)
            != 0) {
            state.SkipWithError(tjGetErrorStr2(tj));
            break;
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    tjDestroy(tj);
}

} // namespace

BENCHMARK(BM_RixLoadJPG)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RixLoadJpegFromMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TurboJpegIntoPreallocated)->Unit(benchmark::kMillisecond)->UseRealTime();
