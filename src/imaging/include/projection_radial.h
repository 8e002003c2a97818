// Each projection's radial model, written once: how far from the circle's
// centre, in radii (rho), a direction theta from the view axis lands, and
// back. Model<P> holds every form the program evaluates for projection P:
//   - the closed forms in double: theta from rho, and rho / sin(theta) from
//     z = cos(theta), the reference of every fast form;
//   - the program's rational model: coefficient rows of rho / sin(theta) over
//     z = cos(theta) and of sin(theta) / rho over w = sqrt(1 - rho^2), each
//     (1 + K3 x + K4 x^2) / (K0 + K1 x + K2 x^2);
//   - the float forms the resampler's row kernels evaluate per pixel.
// Adding a projection means a code in rix.h, a row in the table of
// projections (projection_kinds.h, above this library), a Model here and a
// case in withModel. C++ only; the C interface is rix.h.
#pragma once

#include "rix.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <type_traits>

namespace rix::radial {

// The row kernels are built once per instruction set from these forms; the
// forms must be inlined into each build, never shared out of line.
#define RIX_RADIAL_INLINE [[gnu::always_inline]] inline

inline constexpr double kHalfPi = std::numbers::pi / 2;
inline constexpr int kCoefCount = 5;
using CoefRow = float[kCoefCount];

RIX_RADIAL_INLINE float sqrtOf(float x) { return __builtin_sqrtf(x); }

// The float forms of the equidistant projection use fitted polynomials; a
// kernel passes them as an object with sinOverRho(t) and cosTheta(t) of
// t = rho^2 and rhoOverSin(y) of y = 1 - cos(theta), all on [0, 1].

template <int P> struct Model;

template <> struct Model<RixOrthographic> { // rho = sin(theta)
    static constexpr CoefRow kSinOverRho = {1.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    static constexpr CoefRow kRhoOverSin = {1.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    static constexpr bool kRationalIsExact = true;

    static double theta(double rho) { return std::asin(std::fmin(rho, 1.0)); }
    static double rhoOverSin(double) { return 1.0; }

    // Destination: t = rho^2 -> s = sin(theta) / rho and c = cos(theta).
    template <class Fit> RIX_RADIAL_INLINE static void destination(const Fit&, float t, float& s, float& c)
    {
        const float q = 1.0f - t;
        s = 1.0f;
        c = sqrtOf(q > 0.0f ? q : 0.0f);
    }
    // Source: z = cos(theta) in 0..1 -> rho / sin(theta).
    template <class Fit> RIX_RADIAL_INLINE static float source(const Fit&, float) { return 1.0f; }
};

template <> struct Model<RixEquisolidangle> { // rho = sqrt(2) sin(theta / 2)
    static constexpr CoefRow kSinOverRho = {1.0f, std::bit_cast<float>(0x3E0149C0u), std::bit_cast<float>(0x3E0170C2u),
        std::bit_cast<float>(0x3DFE6443u), std::bit_cast<float>(0x3F25B1DAu)};
    static constexpr CoefRow kRhoOverSin = {1.0f, std::bit_cast<float>(0x3F92CAECu), std::bit_cast<float>(0x3E74B500u),
        std::bit_cast<float>(0x3F2597ABu), std::bit_cast<float>(0x3D2482B6u)};
    static constexpr bool kRationalIsExact = false;

    static double theta(double rho) { return 2.0 * std::asin(std::fmin(rho / std::numbers::sqrt2, 1.0)); }
    static double rhoOverSin(double z) { return 1.0 / std::sqrt(1.0 + z); }

    template <class Fit> RIX_RADIAL_INLINE static void destination(const Fit&, float t, float& s, float& c)
    {
        const float q = 2.0f - t;
        s = sqrtOf(q > 0.0f ? q : 0.0f);
        c = 1.0f - t;
    }
    template <class Fit> RIX_RADIAL_INLINE static float source(const Fit&, float z) { return 1.0f / sqrtOf(1.0f + z); }
};

template <> struct Model<RixEquidistant> { // rho = theta / (pi / 2)
    // Three coefficients are double constants rounded on storing.
    static constexpr CoefRow kSinOverRho = {1.0f, static_cast<float>(-0.040302246), static_cast<float>(-0.095601717),
        static_cast<float>(-0.039436648), std::bit_cast<float>(0x3ECB26F5u)};
    static constexpr CoefRow kRhoOverSin = {1.0f, std::bit_cast<float>(0x3F9BE6DDu), std::bit_cast<float>(0x3E95E3D5u),
        std::bit_cast<float>(0x3F14D5D8u), std::bit_cast<float>(0x3C8B3F2Eu)};
    static constexpr bool kRationalIsExact = false;

    static double theta(double rho) { return rho * kHalfPi; }
    static double rhoOverSin(double z)
    {
        // theta from the half-angle form stays accurate near the axis.
        const double y = 1.0 - z;
        if (y <= 0.0)
            return 1.0 / kHalfPi;
        const double theta = 2.0 * std::asin(std::sqrt(0.5 * y));
        return theta / kHalfPi / std::sqrt(y * (1.0 + z));
    }

    template <class Fit> RIX_RADIAL_INLINE static void destination(const Fit& fit, float t, float& s, float& c)
    {
        const float tc = t < 1.0f ? t : 1.0f;
        s = fit.sinOverRho(tc);
        c = fit.cosTheta(tc);
    }
    template <class Fit> RIX_RADIAL_INLINE static float source(const Fit& fit, float z)
    {
        return fit.rhoOverSin(1.0f - z);
    }
};

template <> struct Model<RixStereographic> { // rho = tan(theta / 2)
    static constexpr CoefRow kSinOverRho = {1.0f, 0.0f, -0.5f, 0.0f, 0.0f};
    static constexpr CoefRow kRhoOverSin = {1.0f, 1.0f, 0.0f, 0.0f, 0.0f};
    static constexpr bool kRationalIsExact = true;

    static double theta(double rho) { return 2.0 * std::atan(rho); }
    static double rhoOverSin(double z) { return 1.0 / (1.0 + z); }

    template <class Fit> RIX_RADIAL_INLINE static void destination(const Fit&, float t, float& s, float& c)
    {
        const float q = 1.0f / (1.0f + t);
        s = 2.0f * q;
        c = (1.0f - t) * q;
    }
    template <class Fit> RIX_RADIAL_INLINE static float source(const Fit&, float z) { return 1.0f / (1.0f + z); }
};

template <> struct Model<RixPerspective> { // rho = tan(theta), unbounded: a destination only
    static constexpr CoefRow kSinOverRho = {0.0f, 1.0f, 0.0f, 0.0f, 0.0f};
    static constexpr CoefRow kRhoOverSin = {0.0f, 1.0f, 0.0f, 0.0f, 0.0f};
    static constexpr bool kRationalIsExact = true;

    static double theta(double rho) { return std::atan(rho); }

    template <class Fit> RIX_RADIAL_INLINE static void destination(const Fit&, float t, float& s, float& c)
    {
        s = 1.0f / sqrtOf(1.0f + t);
        c = s;
    }
};

template <int P> using Code = std::integral_constant<int, P>;

// Calls f(Code<P>{}) for the projection P with code p and returns true; for
// any other code returns false without calling f.
template <class F> bool withModel(int32_t p, F&& f)
{
    switch (p) {
    case RixOrthographic:
        f(Code<RixOrthographic>{});
        return true;
    case RixEquisolidangle:
        f(Code<RixEquisolidangle>{});
        return true;
    case RixEquidistant:
        f(Code<RixEquidistant>{});
        return true;
    case RixStereographic:
        f(Code<RixStereographic>{});
        return true;
    case RixPerspective:
        f(Code<RixPerspective>{});
        return true;
    default:
        return false;
    }
}

} // namespace rix::radial
