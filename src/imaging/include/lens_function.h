// A real lens's radial model, written once: how far from
// the circle's centre, in radii, a direction theta from the lens axis lands
// (rho), how fast that grows (the derivative the solid angle of a pixel
// needs), and back. The lens itself is the C record RixLens of rix.h.
#pragma once

#include "rix.h"

#include <optional>
#include <string>

namespace rix {

class LensFunction {
public:
    // The lens, or nothing when RixLensCheck would refuse it; why then
    // receives the reason in the user's words.
    [[nodiscard]] static std::optional<LensFunction> make(const RixLens& lens, std::string* why = nullptr);

    [[nodiscard]] double rho(double theta) const;
    [[nodiscard]] double rhoDerivative(double theta) const;
    // The theta of rho in [0, rhoMax()], to within 1e-12 rad; NaN beyond.
    [[nodiscard]] double theta(double rho) const;

    [[nodiscard]] double halfFov() const { return halfFov_; } // radians
    [[nodiscard]] double rhoMax() const { return rhoMax_; }   // rho(halfFov())
    [[nodiscard]] const RixLens& lens() const { return lens_; }

private:
    explicit LensFunction(const RixLens& lens);

    RixLens lens_;
    double halfFov_;
    double rhoMax_;
};

} // namespace rix
