#include "sky_rows.h"

#include "avx2_clones.h"
#include "radial_geometry.h"
#include "ring_layout.h"

#include <cmath>

namespace karwen::canopy {

namespace {

// A pixel's solid angle from the density column, which ends in a 0 past the
// last pixel holding part of the circle.
inline float solidOf(const double* density, int i, double f, double pixelArea)
{
    return static_cast<float>(tableLerp(density, i, f) * pixelArea);
}

} // namespace

// Four sums, so that the additions need not wait on each other.
KARWEN_AVX2_CLONES double sumOf(const float* values, int n)
{
    double sum[4] = {0.0, 0.0, 0.0, 0.0};
    int k = 0;
    for (; k + 3 < n; k += 4)
        for (int j = 0; j < 4; ++j)
            sum[j] += values[k + j];
    for (; k < n; ++k)
        sum[0] += values[k];
    return (sum[0] + sum[1]) + (sum[2] + sum[3]);
}

KARWEN_AVX2_CLONES double solidRow(const SolidRowTable& table, int from, int to, const RowPlace& place, float* out)
{
    const double perUnit = table.perUnit, end = table.end;
    const double yy = place.y * place.y;
    const int n = to - from;
    for (int k = 0; k < n; ++k) {
        const double x = (double(from + k) + 0.5 - place.cx) * place.invR;
        const double q = x * x + yy;
        double f = 0.0;
        const int i = tableSpan(q, perUnit, end, f);
        out[k] = solidOf(table.density, i, f, table.pixelArea);
    }
    return sumOf(out, n);
}

KARWEN_AVX2_CLONES void directionRow(const DirectionRowTable& table, int from, int to, const RowPlace& place,
    float* __restrict solid, double* __restrict ez, double* __restrict azimuth)
{
    // Everything read into locals: the outputs are doubles too, so the
    // compiler would otherwise read the inputs again after every store.
    const double perUnit = table.perUnit, end = table.end;
    const double cx = place.cx, invR = place.invR, y = place.y;
    const double yy = y * y;
    const double cosRot = table.cosRot, sinRot = table.sinRot;
    const double* const cos2 = table.cos2;
    const double* const sinOverRhos = table.sinOverRho;
    const double* const density = table.density;
    const double pixelArea = table.pixelArea;
    const double ax0 = table.ax[0], ax1 = table.ax[1], ax2 = table.ax[2];
    const double ay0 = table.ay[0], ay1 = table.ay[1], ay2 = table.ay[2];
    const double az0 = table.az[0], az1 = table.az[1], az2 = table.az[2];
    const int n = to - from;
    for (int k = 0; k < n; ++k) {
        const double x = (double(from + k) + 0.5 - cx) * invR;
        const double q = x * x + yy;
        double f = 0.0;
        const int i = tableSpan(q, perUnit, end, f);
        solid[k] = solidOf(density, i, f, pixelArea);
        const double sinOverRho = tableLerp(sinOverRhos, i, f);
        const double u = sinOverRho * x, v = sinOverRho * y;
        const double dx = cosRot * u + sinRot * v, dy = -sinRot * u + cosRot * v;
        const double dz = std::sqrt(tableLerp(cos2, i, f));
        const double ex = ax0 * dx + ax1 * dy + ax2 * dz;
        const double ey = ay0 * dx + ay1 * dy + ay2 * dz;
        ez[k] = az0 * dx + az1 * dy + az2 * dz;
        azimuth[k] = RingLayout::pseudoAngle(ex, ey);
    }
}

} // namespace karwen::canopy
