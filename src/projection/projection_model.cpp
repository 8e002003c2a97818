#include "projection_model.h"

#include "projection_radial.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <stdexcept>

namespace karwen {

std::array<std::string, kProjectionCount> ProjName;
float CoefA[kCoefCount][kProjectionCount];
float CoefB[kCoefCount][kProjectionCount];
int16_t GridStep[kGridStepCount];
float GridCos[kGridRows];
float GridSin[kGridRows];
float GridRadius[kGridRows][kProjectionCount];

static_assert(rix::radial::kCoefCount == kCoefCount, "a coefficient row is K0..K4");

namespace {

// Calls f(Code<P>{}) for every ideal projection P, in the table's order.
template <class F> void forEachProjection(F f)
{
    for (const ProjectionKind& kind : kProjectionKinds) {
        if (!kind.lens)
            rix::radial::withModel(kind.code, f);
    }
}

} // namespace

void initProjectionNames()
{
    forEachProjection([](auto p) { ProjName[p.value] = projectionName(p.value); });
}

const char* projectionName(int32_t p) { return isIdealProjection(p) ? projectionKind(p)->name : ""; }

void initCoefTables()
{
    forEachProjection([](auto p) {
        using Model = rix::radial::Model<p.value>;
        for (int k = 0; k < kCoefCount; ++k) {
            CoefA[k][p.value] = Model::kSinOverRho[k];
            CoefB[k][p.value] = Model::kRhoOverSin[k];
        }
    });
}

bool rationalIsExact(int32_t p)
{
    bool exact = false;
    rix::radial::withModel(p, [&](auto code) { exact = rix::radial::Model<code.value>::kRationalIsExact; });
    return exact;
}

void initGridTables()
{
    constexpr int16_t steps[kGridStepCount] = {0, 1, 2, 3, 6, 9, 18};
    std::copy(std::begin(steps), std::end(steps), GridStep);

    for (int i = 0; i < kGridRows; ++i) {
        // The angle is a single-precision product, so 90 degrees lands just
        // past pi/2 and row 18 holds tiny negative cosines, not 0.
        const float a = static_cast<float>(5 * i) * 0.017453292f;
        GridCos[i] = static_cast<float>(std::cos(static_cast<double>(a)));
        GridSin[i] = static_cast<float>(std::sin(static_cast<double>(a)));
    }

    for (const ProjectionKind& kind : kProjectionKinds) {
        if (kind.lens)
            continue;
        const int32_t p = kind.code;
        int first = 0;
        if (!kind.fisheye) {
            GridRadius[0][p] = 0.0f; // the horizon of a perspective view is at infinity
            first = 1;
        }
        const double k0 = CoefB[0][p], k1 = CoefB[1][p], k2 = CoefB[2][p];
        const double k3 = CoefB[3][p], k4 = CoefB[4][p];
        for (int i = first; i < kGridRows; ++i) {
            const double s = GridSin[i];
            const double c = GridCos[i];
            GridRadius[i][p] = static_cast<float>(c * (1.0 + k3 * s + k4 * s * s) / (k0 + k1 * s + k2 * s * s));
        }
    }
}

double rational(const float (&table)[kCoefCount][kProjectionCount], double x, int32_t p)
{
    if (!isProjection(p))
        throw std::out_of_range("projection code " + std::to_string(p) + " is no ideal projection");
    const double k0 = table[0][p], k1 = table[1][p], k2 = table[2][p];
    const double k3 = table[3][p], k4 = table[4][p];
    const double numerator = (k4 * x + k3) * x + 1.0;
    const double denominator = (k2 * x + k1) * x + k0;
    return numerator / denominator;
}

double r_over_sin(double z, int32_t p) { return rational(CoefB, z, p); }

double sin_over_r(double w, int32_t p) { return rational(CoefA, w, p); }

double atn2(double y, double x)
{
    if (!std::isfinite(y) || !std::isfinite(x))
        return 0.0;
    if (std::fabs(x) < 1e-10) {
        const double sign = (y > 0.0) - (y < 0.0);
        return sign * 0.5 * kSinglePi;
    }
    const double q = y / x;
    if (!std::isfinite(q))
        return 0.0; // the quotient overflowed
    if (x > 0.0)
        return std::atan(q);
    if (y > 0.0)
        return std::atan(q) + kSinglePi;
    return std::atan(q) - kSinglePi;
}

} // namespace karwen
