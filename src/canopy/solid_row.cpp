#include "solid_row.h"

namespace karwen::canopy {

// Four sums, so that the additions need not wait on each other.
__attribute__((target_clones("avx2", "default"))) double sumOf(const float* values, int n)
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

// The arithmetic is the scalar lookup's, step for step (no fused
// multiply-adds, see CMakeLists.txt), so every build gives the same floats;
// the wider clone only does four pixels at a time.
__attribute__((target_clones("avx2", "default"))) double solidRow(const SolidRowTable& table, int from, int to,
                                                                   double cx, double invR, double y, float* out)
{
    const double* density = table.density;
    const double last = table.last;
    const double yy = y * y;
    const int n = to - from;
    for (int k = 0; k < n; ++k) {
        const double x = (double(from + k) + 0.5 - cx) * invR;
        const double q = x * x + yy;
        const double at = (q < 0.0 ? 0.0 : (q > 1.0 ? 1.0 : q)) * last;
        const int i = static_cast<int>(at >= last ? last - 1.0 : at);
        const double f = at - double(i);
        const double solid = (density[i] + f * (density[i + 1] - density[i])) * table.pixelArea;
        out[k] = q > 1.0 ? 0.0f : static_cast<float>(solid);
    }
    return sumOf(out, n);
}

} // namespace karwen::canopy
