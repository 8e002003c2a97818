// The per-row kernels of the resampler, compiled once per instruction set.
//
// A row is mapped in two steps: mapRow turns destination pixels into source
// image points (sx, sy), and one of the sampling kernels reads the source
// there. A point the source does not cover (outside the destination circle,
// behind the source hemisphere) is marked by sx = -1.
//
// Every build of the kernels does the same float and integer operations in
// the same order (no contraction into FMA, no reassociation), so the SIMD
// builds give bit for bit what the scalar reference gives.
#pragma once

#include "lens_form.h"
#include "radial_fit.h"
#include "rix.h"

#include <cstdint>

namespace rix {

// The constants of one conversion, in the form the row kernels use.
struct MapConstants {
    int dstProj = RixOrthographic; // a code RixMayBeDestination accepts
    int srcProj = RixOrthographic; // a code RixMayBeSource accepts, or RixLensSource
    // Rows: the source x and y offsets before the source's radial factor
    // (source tilt and radius folded in), and dz; columns: the coefficients
    // of u*s, v*s and cos(theta).
    float m[3][3] = {};
    float srcCx = 0, srcCy = 0;
    const RadialFit* fit = nullptr;
    const LensForm* lens = nullptr; // the source's, for RixLensSource
};

struct SourcePixels {
    const uint32_t* pixels; // bottom-up rows, stride == width
    int32_t width;
    int32_t height;
};

// Destination pixel i of the row sits at u = u0 + i * du, v = v0 + i * dv
// (normalised, tilt undone).
using MapRowFn = void (*)(const MapConstants& k, float u0, float du, float v0, float dv, int n, float* sx, float* sy);
using SampleRowFn = void (*)(const SourcePixels& src, const float* sx, const float* sy, int n, uint32_t* out);

struct DeformKernels {
    MapRowFn mapRow;
    SampleRowFn sample[3]; // nearest, bilinear, cubic
};

enum class KernelIsa { Reference, Avx2, Avx512 };

// The best build this processor runs.
[[nodiscard]] KernelIsa bestKernelIsa();
// The kernels of one build; the caller makes sure the processor has it.
[[nodiscard]] const DeformKernels& deformKernels(KernelIsa isa);
[[nodiscard]] bool kernelIsaSupported(KernelIsa isa);
// The build the resampler uses: the best one unless a test chose another
// (an unsupported choice falls back to the reference).
[[nodiscard]] KernelIsa activeKernelIsa();
void setActiveKernelIsa(KernelIsa isa);

// Builds of the kernels, one per translation unit.
const DeformKernels& referenceKernels();
const DeformKernels& avx2Kernels();
const DeformKernels& avx512Kernels();

} // namespace rix
