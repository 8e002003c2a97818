// The bodies of the row kernels, included by each kernels_*.cpp build.
//
// Everything here has internal linkage (an unnamed namespace), so every
// translation unit keeps its own copy compiled for its own instruction set;
// the loops are written plainly for the compiler to vectorise: float lanes,
// selects instead of branches, and only builtins, never out-of-line library
// templates, that a linker could share between the builds.
#pragma once

#include "deform_kernels.h"
#include "projection_radial.h"

#include <cstdint>
#if defined(__AVX2__)
#include <immintrin.h>
#endif

namespace rix {
namespace {

constexpr uint32_t kBlack = 0xff000000u;

// out[i] = p[index[i]] (pixels, 4 bytes) or the 8 bytes from p + index[i]
// (pairs), i < m, index 64-byte aligned. Plain loads where the build has no
// gather instruction; where it has one, left to the compiler this loop is
// vectorised by moving each index out of a vector register into a general
// one, slower than plain loads, so the gathers are written out (the masked
// forms, which start from zeros rather than an undefined register).
inline void gatherPixels(const uint32_t* __restrict p, const int32_t* __restrict index, int m, uint32_t* __restrict out)
{
    int i = 0;
#if defined(__AVX512F__)
    for (; i + 16 <= m; i += 16)
        _mm512_storeu_si512(
            out + i, _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), 0xffff, _mm512_load_si512(index + i), p, 4));
#elif defined(__AVX2__)
    for (; i + 8 <= m; i += 8) {
        const __m256i at = _mm256_load_si256(reinterpret_cast<const __m256i*>(index + i));
        _mm256_storeu_si256(
            reinterpret_cast<__m256i*>(out + i), _mm256_i32gather_epi32(reinterpret_cast<const int*>(p), at, 4));
    }
#endif
    for (; i < m; ++i)
        out[i] = p[index[i]];
}

inline void gatherPairs(const uint32_t* __restrict p, const int32_t* __restrict index, int m, uint64_t* __restrict out)
{
    int i = 0;
#if defined(__AVX512F__)
    for (; i + 8 <= m; i += 8) {
        const __m256i at = _mm256_load_si256(reinterpret_cast<const __m256i*>(index + i));
        _mm512_storeu_si512(out + i, _mm512_mask_i32gather_epi64(_mm512_setzero_si512(), 0xff, at, p, 4));
    }
#elif defined(__AVX2__)
    for (; i + 4 <= m; i += 4) {
        const __m128i at = _mm_load_si128(reinterpret_cast<const __m128i*>(index + i));
        _mm256_storeu_si256(
            reinterpret_cast<__m256i*>(out + i), _mm256_i32gather_epi64(reinterpret_cast<const long long*>(p), at, 4));
    }
#endif
    for (; i < m; ++i)
        __builtin_memcpy(&out[i], p + index[i], 8);
}

inline float floorOf(float x) { return __builtin_floorf(x); }
inline int clampInt(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// The fitted polynomials of the equidistant forms, copied to the caller's
// frame and evaluated by Horner's rule in x = 2t - 1.
struct RowFits {
    float sin[kRadialDegree + 1], cos[kRadialDegree + 1], src[kRadialDegree + 1];

    RIX_RADIAL_INLINE static float horner(const float* c, float t)
    {
        const float x = 2.0f * t - 1.0f;
        float r = c[kRadialDegree];
        for (int k = kRadialDegree - 1; k >= 0; --k)
            r = r * x + c[k];
        return r;
    }
    RIX_RADIAL_INLINE float sinOverRho(float t) const { return horner(sin, t); }
    RIX_RADIAL_INLINE float cosTheta(float t) const { return horner(cos, t); }
    RIX_RADIAL_INLINE float rhoOverSin(float y) const { return horner(src, y); }
};

// The source side of a row: the factor rho / sin(theta) that turns the
// direction into a source point, and the smallest cos(theta) the source
// sees. An ideal fisheye source sees its hemisphere.
template <int S> struct IdealSource {
    static constexpr float zMin = 0.0f;

    explicit IdealSource(const MapConstants&) { }
    RIX_RADIAL_INLINE static float factor(const RowFits& fits, float z) { return radial::Model<S>::source(fits, z); }
};

// A real lens sees out to its half field of view, which may pass 90
// degrees; its factor is its own polynomial in s = sin(theta / 2) (see
// lens_form.h).
struct LensSource {
    const LensForm& lens;
    const float zMin;

    explicit LensSource(const MapConstants& k)
        : lens(*k.lens)
        , zMin(k.lens->zMin)
    {
    }
    // Horner's rule on the even and the odd powers side by side, in x^2: two
    // chains of half the length, which the processor overlaps.
    RIX_RADIAL_INLINE float factor(const RowFits&, float z) const
    {
        static_assert(kLensFitDegree % 2 == 0);
        const float* c = lens.factor.data();
        const float x = radial::sqrtOf(0.5f * (1.0f - z)) * lens.sScale - 1.0f;
        const float xx = x * x;
        float even = c[kLensFitDegree], odd = c[kLensFitDegree - 1];
        for (int i = kLensFitDegree - 2; i >= 2; i -= 2) {
            even = even * xx + c[i];
            odd = odd * xx + c[i - 1];
        }
        return (even * xx + c[0]) + odd * x;
    }
};

template <int D, class Source>
void mapRowT(
    const MapConstants& k, float u0, float du, float v0, float dv, int n, float* __restrict sx, float* __restrict sy)
{
    RowFits fits;
    for (int i = 0; i <= kRadialDegree; ++i) {
        fits.sin[i] = k.fit->sinOverRho.coef[i];
        fits.cos[i] = k.fit->cosTheta.coef[i];
        fits.src[i] = k.fit->rhoOverSin.coef[i];
    }
    const Source source(k);
    const float m00 = k.m[0][0], m01 = k.m[0][1], m02 = k.m[0][2];
    const float m10 = k.m[1][0], m11 = k.m[1][1], m12 = k.m[1][2];
    const float m20 = k.m[2][0], m21 = k.m[2][1], m22 = k.m[2][2];
    const float cx = k.srcCx, cy = k.srcCy;
    const float zMin = source.zMin;
    for (int i = 0; i < n; ++i) {
        const float fi = float(i);
        const float u = u0 + fi * du;
        const float v = v0 + fi * dv;
        const float t = u * u + v * v;
        float s, c;
        radial::Model<D>::destination(fits, t, s, c);
        const float px = s * (m00 * u + m01 * v) + m02 * c;
        const float py = s * (m10 * u + m11 * v) + m12 * c;
        const float dz = s * (m20 * u + m21 * v) + m22 * c;
        const float z = dz < 1.0f ? dz : 1.0f; // cos(theta) of the source, clamped to zMin..1
        const float f = source.factor(fits, z > zMin ? z : zMin);
        const bool valid = (!RixIsFisheye(D) || t <= 1.0f) & (dz >= zMin);
        sx[i] = valid ? cx + f * px : -1.0f;
        sy[i] = valid ? cy + f * py : -1.0f;
    }
}

// A row of a pair of codes no conversion accepts sees nothing.
void mapNothing(const MapConstants&, float, float, float, float, int n, float* sx, float* sy)
{
    for (int i = 0; i < n; ++i)
        sx[i] = sy[i] = -1.0f;
}

// The row kernel of the pair of codes; every destination code pairs with
// every source code, through the one list of models, and with a lens source
// when its lens is there.
MapRowFn mapRowFor(int dstProj, int srcProj, bool lensGiven)
{
    MapRowFn fn = &mapNothing;
    radial::withModel(dstProj, [&](auto d) {
        if (srcProj == RixLensSource && lensGiven)
            fn = &mapRowT<d.value, LensSource>;
        radial::withModel(srcProj, [&](auto s) {
            if constexpr (RixMayBeSource(s.value))
                fn = &mapRowT<d.value, IdealSource<s.value>>;
        });
    });
    return fn;
}

void mapRow(const MapConstants& k, float u0, float du, float v0, float dv, int n, float* sx, float* sy)
{
    const MapRowFn fn = mapRowFor(k.dstProj, k.srcProj, k.lens != nullptr);
    fn(k, u0, du, v0, dv, n, sx, sy);
}

// The point lies on the source image, [0, W) x [0, H).
inline bool onImage(float x, float y, float w, float h) { return (x >= 0.0f) & (x < w) & (y >= 0.0f) & (y < h); }

// The sampling kernels work on blocks of a row in three passes: a
// vectorised pass computes source indices and weights, a scalar pass reads
// the source pixels (hardware gathers are slow on the processors we target;
// plain loads are not), and a vectorised pass blends.
constexpr int kBlock = 256;

// The pixel that contains the point.
void nearestRow(
    const SourcePixels& src, const float* __restrict sx, const float* __restrict sy, int n, uint32_t* __restrict out)
{
    const float w = float(src.width), h = float(src.height);
    const uint32_t* __restrict p = src.pixels;
    const int stride = src.width;
    alignas(64) int32_t index[kBlock];
    alignas(64) uint32_t keep[kBlock];
    for (int base = 0; base < n; base += kBlock) {
        const int m = n - base < kBlock ? n - base : kBlock;
        const float* __restrict bx = sx + base;
        const float* __restrict by = sy + base;
        uint32_t* __restrict o = out + base;
        for (int i = 0; i < m; ++i) {
            const bool in = onImage(bx[i], by[i], w, h);
            index[i] = int(in ? by[i] : 0.0f) * stride + int(in ? bx[i] : 0.0f);
            keep[i] = in ? 0xffffffffu : 0u;
        }
        gatherPixels(p, index, m, o);
        for (int i = 0; i < m; ++i)
            o[i] = (o[i] & keep[i]) | (kBlack & ~keep[i]);
    }
}

// Bilinear on pixel centres with 8-bit weights. Red and blue share one 32-bit
// lane, green and alpha another (each channel times a weight of at most 256
// stays within 16 bits); both passes round to nearest.
inline uint32_t lerpPacked(uint32_t a, uint32_t b, uint32_t w)
{
    const uint32_t rbA = a & 0x00ff00ffu, gA = (a >> 8) & 0x00ff00ffu;
    const uint32_t rbB = b & 0x00ff00ffu, gB = (b >> 8) & 0x00ff00ffu;
    const uint32_t rb = ((rbA * (256u - w) + rbB * w + 0x00800080u) >> 8) & 0x00ff00ffu;
    const uint32_t g = (gA * (256u - w) + gB * w + 0x00800080u) & 0xff00ff00u;
    return rb | g;
}

// Each row's two taps are read as one 8-byte pair starting at x0. At the
// edges the pair is moved inside the image and the weight set to 0 or 256,
// which blends to exactly the repeated edge pixel.
void bilinearRow(
    const SourcePixels& src, const float* __restrict sx, const float* __restrict sy, int n, uint32_t* __restrict out)
{
    const float w = float(src.width), h = float(src.height);
    const uint32_t* __restrict p = src.pixels;
    const int stride = src.width, lastPair = src.width - 2, maxY = src.height - 1;
    const bool narrow = src.width < 2;
    alignas(64) int32_t index0[kBlock], index1[kBlock];
    alignas(64) uint32_t weightX[kBlock], weightY[kBlock], keep[kBlock];
    alignas(64) uint64_t pair0[kBlock], pair1[kBlock];
    for (int base = 0; base < n; base += kBlock) {
        const int m = n - base < kBlock ? n - base : kBlock;
        const float* __restrict bx = sx + base;
        const float* __restrict by = sy + base;
        for (int i = 0; i < m; ++i) {
            const bool in = onImage(bx[i], by[i], w, h);
            // Fixed point with 8 fraction bits, relative to pixel centres.
            const int fx = int(floorOf((in ? bx[i] : 0.0f) * 256.0f - 127.5f));
            const int fy = int(floorOf((in ? by[i] : 0.0f) * 256.0f - 127.5f));
            const int x = fx >> 8, y = fy >> 8;
            const int x0 = x < 0 || narrow ? 0 : (x > lastPair ? lastPair : x);
            weightX[i] = x < 0 ? 0u : (x > lastPair ? 256u : uint32_t(fx & 255));
            weightY[i] = uint32_t(fy & 255);
            index0[i] = clampInt(y, 0, maxY) * stride + x0;
            index1[i] = clampInt(y + 1, 0, maxY) * stride + x0;
            keep[i] = in ? 0xffffffffu : 0u;
        }
        if (narrow) {
            for (int i = 0; i < m; ++i) {
                pair0[i] = p[index0[i]] * 0x100000001ull;
                pair1[i] = p[index1[i]] * 0x100000001ull;
            }
        } else {
            gatherPairs(p, index0, m, pair0);
            gatherPairs(p, index1, m, pair1);
        }
        uint32_t* __restrict o = out + base;
        for (int i = 0; i < m; ++i) {
            const uint32_t bottom = lerpPacked(uint32_t(pair0[i]), uint32_t(pair0[i] >> 32), weightX[i]);
            const uint32_t top = lerpPacked(uint32_t(pair1[i]), uint32_t(pair1[i] >> 32), weightX[i]);
            o[i] = ((lerpPacked(bottom, top, weightY[i]) | kBlack) & keep[i]) | (kBlack & ~keep[i]);
        }
    }
}

// Keys cubic convolution (a = -0.5) weights for the taps at -1, 0, 1, 2,
// in 11-bit fixed point summing to exactly 2048.
constexpr int kCubicBits = 11;
inline void cubicWeights(float t, int* w)
{
    const float w0 = ((-0.5f * t + 1.0f) * t - 0.5f) * t;
    const float w2 = ((-1.5f * t + 2.0f) * t + 0.5f) * t;
    const float w3 = (0.5f * t - 0.5f) * t * t;
    constexpr float one = float(1 << kCubicBits);
    w[0] = int(floorOf(w0 * one + 0.5f));
    w[2] = int(floorOf(w2 * one + 0.5f));
    w[3] = int(floorOf(w3 * one + 0.5f));
    w[1] = (1 << kCubicBits) - w[0] - w[2] - w[3];
}

inline int clampByte(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// The 4 x 4 taps of each point are copied into one array per tap (a plain
// block copy away from the edges), then weighted in lanes: per row of taps
// the horizontal sum, then the vertical one, all in exact integers.
void cubicRow(
    const SourcePixels& src, const float* __restrict sx, const float* __restrict sy, int n, uint32_t* __restrict out)
{
    const float w = float(src.width), h = float(src.height);
    const uint32_t* __restrict p = src.pixels;
    const int stride = src.width, maxX = src.width - 1, maxY = src.height - 1;
    alignas(64) int32_t wx[4][kBlock], wy[4][kBlock];
    alignas(64) int32_t left[kBlock], bottom[kBlock];
    alignas(64) uint32_t keep[kBlock];
    alignas(64) uint32_t tap[16][kBlock + 16]; // padded against 4K aliasing
    for (int base = 0; base < n; base += kBlock) {
        const int m = n - base < kBlock ? n - base : kBlock;
        const float* __restrict bx = sx + base;
        const float* __restrict by = sy + base;
        for (int i = 0; i < m; ++i) {
            const bool in = onImage(bx[i], by[i], w, h);
            const float fx = (in ? bx[i] : 0.0f) - 0.5f, fy = (in ? by[i] : 0.0f) - 0.5f;
            const float x0 = floorOf(fx), y0 = floorOf(fy);
            int k[4];
            cubicWeights(fx - x0, k);
            wx[0][i] = k[0], wx[1][i] = k[1], wx[2][i] = k[2], wx[3][i] = k[3];
            cubicWeights(fy - y0, k);
            wy[0][i] = k[0], wy[1][i] = k[1], wy[2][i] = k[2], wy[3][i] = k[3];
            left[i] = int(x0) - 1;
            bottom[i] = int(y0) - 1;
            keep[i] = in ? 0xffffffffu : 0u;
        }
        for (int i = 0; i < m; ++i) {
            const int l = left[i], b = bottom[i];
            if (l >= 0 && l + 3 <= maxX && b >= 0 && b + 3 <= maxY) {
                const uint32_t* q = p + b * stride + l;
                for (int r = 0; r < 4; ++r, q += stride)
                    for (int c = 0; c < 4; ++c)
                        tap[4 * r + c][i] = q[c];
            } else {
                for (int r = 0; r < 4; ++r) {
                    const uint32_t* line = p + clampInt(b + r, 0, maxY) * stride;
                    for (int c = 0; c < 4; ++c)
                        tap[4 * r + c][i] = line[clampInt(l + c, 0, maxX)];
                }
            }
        }
        uint32_t* __restrict o = out + base;
        for (int i = 0; i < m; ++i) {
            int red = 0, green = 0, blue = 0;
            for (int r = 0; r < 4; ++r) {
                int hr = 0, hg = 0, hb = 0;
                for (int c = 0; c < 4; ++c) {
                    const uint32_t q = tap[4 * r + c][i];
                    hr += wx[c][i] * int((q >> 16) & 255);
                    hg += wx[c][i] * int((q >> 8) & 255);
                    hb += wx[c][i] * int(q & 255);
                }
                red += wy[r][i] * hr;
                green += wy[r][i] * hg;
                blue += wy[r][i] * hb;
            }
            constexpr int shift = 2 * kCubicBits;
            constexpr int half = 1 << (shift - 1);
            const uint32_t rgb = kBlack | uint32_t(clampByte((red + half) >> shift)) << 16
                | uint32_t(clampByte((green + half) >> shift)) << 8 | uint32_t(clampByte((blue + half) >> shift));
            o[i] = (rgb & keep[i]) | (kBlack & ~keep[i]);
        }
    }
}

constexpr DeformKernels kKernels = {&mapRow, {&nearestRow, &bilinearRow, &cubicRow}};

} // namespace
} // namespace rix
