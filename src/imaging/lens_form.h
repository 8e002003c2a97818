// The per-pixel form of a lens for the resampler's row kernels. A row needs
// the factor rho(theta) / sin(theta) of the source's cos(theta); as a
// function of s = sin(theta / 2) it is smooth over the whole field (its
// nearest singularity is at theta = 180 degrees, s = 1), so each lens gets
// its own polynomial in s, fitted when the form is made. A pixel then costs
// one square root and one polynomial, free of 0 / 0 at the axis.
#pragma once

#include "lens_function.h"

#include <array>

namespace rix {

inline constexpr int kLensFitDegree = 16;

struct LensForm {
    explicit LensForm(const LensFunction& lens);

    // rho / sin(theta) = sum factor[k] * x^k with x = s * sScale - 1, s on
    // [0, sin(halfFov / 2)]; relative error about 1e-6 at the widest field
    // a lens may have, far less for fields of 100 degrees and below.
    std::array<float, kLensFitDegree + 1> factor{};
    float sScale = 0;
    float zMin = 0; // cos(theta) at the edge of the field
};

} // namespace rix
