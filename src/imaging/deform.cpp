// RixSDeform: resampling from one fisheye projection into another.
//
// Principle of operation, per destination pixel (x, y), y counted upward:
//  1. The pixel centre relative to the destination circle, in radii and with
//     the destination tilt undone, gives (u, v) and rho = |(u, v)|. Outside
//     the circle (rho > 1, fisheye destinations only) the pixel is black.
//     The destination projection turns rho into the zenith angle theta and
//     the view-frame direction (sin(theta) u / rho, sin(theta) v / rho,
//     cos(theta)).
//  2. The source view angles turn it into the source camera frame: about x
//     by Beta, then about y by Alpha.
//  3. Behind the source hemisphere (dz < 0; for a real lens, beyond its
//     half field of view) the pixel is black. Otherwise
//     the source point is (Cx, Cy) + R * rho_p(theta) / sin(theta) * (X, Y),
//     (X, Y) being (dx, dy) turned by the source tilt.
//  4. The source is sampled there: nearest (the pixel containing the
//     point), bilinear or Keys cubic on pixel centres. A point off the source
//     image is black; taps beyond the edge repeat the edge pixel.
//
// Steps 1-3 are folded into one 3x3 matrix and three 1-D radial functions
// (deform_geometry, radial_fit) and run row by row into a small buffer of
// source points on the stack (8 bytes per pixel of one chunk, no full-size
// map); step 4 then reads the source. Rows are cut into fixed slices that
// the thread pool shares out, so the result does not depend on the number of
// threads. Rows of a fisheye destination skip the columns outside its
// circle. The kernels are picked once per processor (deform_kernels).
// Nothing is kept between calls: mapping costs about as much as reading a
// stored map of source points would (8 bytes per pixel), so a repeated
// conversion simply maps again.
//
// Degenerate records (R <= 0, a field that is not finite) make the whole
// destination black; coordinates that overflow float (huge but finite
// values) fail the on-image test and give black pixels too. A projection
// code out of range is an error and leaves the destination as it was.
#include "deform_geometry.h"
#include "deform_kernels.h"
#include "errors.h"
#include "operations.h"
#include "thread_pool.h"

#include <algorithm>
#include <string>

namespace rix {

namespace {

constexpr int kChunk = 256; // destination pixels mapped at a time
constexpr uint32_t kBlack = 0xff000000u;
constexpr int kRowsPerTask = 32; // rows per slice of the pool

// The columns [first, last) of row y that the chunk starting at column x
// maps; the row's mapping starts from first, so a pixel's source point
// depends on its chunk as well as on its place.
struct ChunkRow {
    int first, last;
};

ChunkRow chunkRow(const DeformGeometry& geometry, int x, int y, int width)
{
    const int chunkEnd = std::min(x + kChunk, width);
    int first = 0, last = 0;
    geometry.span(y, width, first, last);
    first = std::clamp(first, x, chunkEnd);
    last = std::clamp(last, first, chunkEnd);
    return {first, last};
}

} // namespace

void deform(const Image& src, Image& dst, const ProjectionRecord& srcPrm, const ProjectionRecord& dstPrm, int interp,
    const LensForm* lens)
{
    const DeformGeometry geometry(srcPrm, dstPrm, lens);
    if (geometry.allBlack() || interp < 0 || interp > 2) {
        std::fill_n(dst.data(), std::size_t(dst.width()) * std::size_t(dst.height()), kBlack);
        return;
    }
    const DeformKernels& kernels = deformKernels(activeKernelIsa());
    const SampleRowFn sample = kernels.sample[interp];
    const SourcePixels pixels{src.data(), src.width(), src.height()};
    const MapConstants& k = geometry.constants();
    const int width = dst.width(), height = dst.height();
    const int slices = (height + kRowsPerTask - 1) / kRowsPerTask;

    ThreadPool::instance().run(slices, [&](int j) {
        alignas(64) float sx[kChunk];
        alignas(64) float sy[kChunk];
        const int begin = int(int64_t(height) * j / slices);
        const int end = int(int64_t(height) * (j + 1) / slices);
        // Column chunks outside, rows inside: a tile of the destination maps
        // onto a compact patch of the source that stays in cache.
        for (int x = 0; x < width; x += kChunk) {
            const int chunkEnd = std::min(x + kChunk, width);
            for (int y = begin; y < end; ++y) {
                uint32_t* out = dst.row(y);
                const auto [first, last] = chunkRow(geometry, x, y, width);
                std::fill(out + x, out + first, kBlack);
                std::fill(out + last, out + chunkEnd, kBlack);
                if (first == last)
                    continue;
                const RowStart at = geometry.start(first, y);
                kernels.mapRow(k, at.u0, at.du, at.v0, at.dv, last - first, sx, sy);
                sample(pixels, sx, sy, last - first, out + first);
            }
        }
    });
}

namespace {

void checkPoints(int width, int height, const int32_t* xs, const int32_t* ys, int n)
{
    for (int i = 0; i < n; ++i)
        if (xs[i] < 0 || xs[i] >= width || ys[i] < 0 || ys[i] >= height)
            throw Error("point " + std::to_string(i) + " lies off the destination");
}

// The source point of destination pixel (x, y), as deform maps it: the row
// is mapped from where deform starts it up to the pixel, by the same
// kernel, so that the pixel gets the very same bits. False where the pixel
// lies outside the destination circle.
bool mapPoint(const DeformGeometry& geometry, const DeformKernels& kernels, int width, int x, int y, float* sx,
    float* sy, float& px, float& py)
{
    const auto [first, last] = chunkRow(geometry, x - x % kChunk, y, width);
    if (x < first || x >= last)
        return false;
    const RowStart at = geometry.start(first, y);
    const int count = x - first + 1;
    kernels.mapRow(geometry.constants(), at.u0, at.du, at.v0, at.dv, count, sx, sy);
    px = sx[count - 1];
    py = sy[count - 1];
    return true;
}

} // namespace

void deformPoints(const Image& src, int width, int height, const ProjectionRecord& srcPrm,
    const ProjectionRecord& dstPrm, int interp, const int32_t* xs, const int32_t* ys, int n, uint32_t* out,
    const LensForm* lens)
{
    checkPoints(width, height, xs, ys, n);
    const DeformGeometry geometry(srcPrm, dstPrm, lens);
    if (geometry.allBlack() || interp < 0 || interp > 2) {
        std::fill_n(out, n, kBlack);
        return;
    }
    const DeformKernels& kernels = deformKernels(activeKernelIsa());
    const SourcePixels pixels{src.data(), src.width(), src.height()};
    alignas(64) float sx[kChunk];
    alignas(64) float sy[kChunk];
    for (int i = 0; i < n; ++i) {
        float px = 0.0f, py = 0.0f;
        if (mapPoint(geometry, kernels, width, xs[i], ys[i], sx, sy, px, py))
            kernels.sample[interp](pixels, &px, &py, 1, out + i);
        else
            out[i] = kBlack;
    }
}

void deformSources(int width, int height, const ProjectionRecord& srcPrm, const ProjectionRecord& dstPrm,
    const int32_t* xs, const int32_t* ys, int n, float* pointX, float* pointY, const LensForm* lens)
{
    checkPoints(width, height, xs, ys, n);
    const DeformGeometry geometry(srcPrm, dstPrm, lens);
    std::fill_n(pointX, n, -1.0f);
    std::fill_n(pointY, n, -1.0f);
    if (geometry.allBlack())
        return;
    const DeformKernels& kernels = deformKernels(activeKernelIsa());
    alignas(64) float sx[kChunk];
    alignas(64) float sy[kChunk];
    for (int i = 0; i < n; ++i)
        (void)mapPoint(geometry, kernels, width, xs[i], ys[i], sx, sy, pointX[i], pointY[i]);
}

} // namespace rix
