// A lens calibrated from marks photographed at known zenith angles: the
// radius r(theta) = b1 theta + ... + bN theta^N (pixels, theta in radians)
// fitted through the origin by least squares, then made relative to the
// radius of the 90-degree circle, R = r(pi / 2), to give a lens of the
// catalogue's form (rho = r / R, rho(pi / 2) = 1).
#pragma once

#include "rix.h"

#include <optional>
#include <string>
#include <vector>

namespace karwen {

inline constexpr int kLensFitMaxDegree = RIX_LENS_TERMS;

struct LensMark {
    double radius = 0.0;    // pixels from the image centre
    double zenithDeg = 0.0; // degrees from the lens axis, 0 to RIX_LENS_MAX_HALF_FOV
};

struct LensMarkResidual {
    double pixels = 0.0;  // measured radius minus the fitted radius at its angle
    double degrees = 0.0; // the same as an angle: the fitted angle at the measured radius minus the measured angle
};

struct LensFitResult {
    RixLens lens{};                          // rho = r / R, theta in radians
    double radius90 = 0;                     // R, pixels
    std::vector<LensMarkResidual> residuals; // one per mark, in order
    double rmsPixels = 0.0;
    double rmsDegrees = 0.0;
};

// The fit of degree 1..kLensFitMaxDegree; halfFovDeg is the lens's field,
// the largest zenith angle measured when not given. Nothing, with the
// reason in why, when the marks cannot give a lens: too few, off their
// bounds, or a curve that does not rise over the field.
[[nodiscard]] std::optional<LensFitResult> fitLens(
    const std::vector<LensMark>& marks, int degree, std::optional<double> halfFovDeg, std::string* why);

} // namespace karwen
