// Principle of operation. A result samples the source at one point per
// destination pixel. Near a destination pixel the mapping to the source is
// close to linear, J being its Jacobian: a step of one destination pixel in
// the direction u moves the source point by |J u| source pixels, and the
// smallest such move is J's smaller singular value. Where it is s, a decode
// at 1/k leaves s / k decoded pixels per destination pixel; the result loses
// nothing it could show as long as that stays at least one (two for cubic,
// which reads two pixels either way) everywhere in the result. So the
// smallest s over the result, over the pixels needed, bounds k.
//
// The mapping is the library's own (RixSDeformSources), so every projection,
// view, tilt and lens is covered by one rule. J is taken from the source
// points of a pixel and of its right and upper neighbours, on a grid over
// the result and on a ring just inside a fisheye destination's circle: the
// scale changes slowly inside the result, and fastest towards its rim. The
// least s found is shaded by kSafety for what falls between the samples.
#include "decode_scale.h"
#include "projection_kinds.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace karwen {

namespace {

constexpr int kGridSteps = 48;   // grid lines across the result, each way
constexpr int kRingPoints = 256; // samples along a fisheye circle's rim
constexpr double kSafety = 0.97;

struct Samples {
    std::vector<int32_t> xs, ys;

    // The pixel and its right and upper neighbours, when all are on the result.
    void add(int32_t x, int32_t y, int32_t width, int32_t height)
    {
        if (x < 0 || y < 0 || x + 1 >= width || y + 1 >= height)
            return;
        xs.insert(xs.end(), {x, x + 1, x});
        ys.insert(ys.end(), {y, y, y + 1});
    }
};

// The smaller singular value of [[a, b], [c, d]].
double smallerSingularValue(double a, double b, double c, double d)
{
    const double sum = a * a + b * b + c * c + d * d;
    const double det = a * d - b * c;
    const double root = std::sqrt(std::max(0.0, sum * sum - 4 * det * det));
    return std::sqrt(std::max(0.0, (sum - root) / 2));
}

} // namespace

double sourcePixelsNeeded(int32_t interp) { return interp == 2 ? 2.0 : 1.0; }

double fewestSourcePixelsPerPixel(
    const ProjectionRecord& src, const RixLens* lens, const ProjectionRecord& dst, int32_t dstW, int32_t dstH)
{
    Samples samples;
    for (int i = 0; i <= kGridSteps; ++i)
        for (int j = 0; j <= kGridSteps; ++j)
            samples.add(int32_t(std::lround(double(i) * (dstW - 2) / kGridSteps)),
                int32_t(std::lround(double(j) * (dstH - 2) / kGridSteps)), dstW, dstH);
    if (isIdealFisheye(dst.Proj))
        for (int k = 0; k < kRingPoints; ++k) {
            const double a = 2 * M_PI * k / kRingPoints, r = dst.R - 1.5;
            samples.add(int32_t(std::floor(dst.Cx + r * std::cos(a) - 0.5)),
                int32_t(std::floor(dst.Cy + r * std::sin(a) - 0.5)), dstW, dstH);
        }
    const auto n = int32_t(samples.xs.size());
    std::vector<float> sx(std::size_t(n), -1.f), sy(std::size_t(n), -1.f);
    const bool mapped = lens
        ? RixSDeformSourcesLens(
              dstW, dstH, &src, lens, &dst, samples.xs.data(), samples.ys.data(), n, sx.data(), sy.data())
            == 1
        : RixSDeformSources(dstW, dstH, &src, &dst, samples.xs.data(), samples.ys.data(), n, sx.data(), sy.data()) == 1;
    if (!mapped)
        return 0;
    double fewest = INFINITY;
    for (std::size_t k = 0; k + 2 < std::size_t(n); k += 3) {
        const auto shown = [&](std::size_t i) { return sx[i] != -1.f || sy[i] != -1.f; };
        if (!shown(k) || !shown(k + 1) || !shown(k + 2))
            continue;
        fewest = std::min(fewest,
            smallerSingularValue(double(sx[k + 1]) - sx[k], double(sx[k + 2]) - sx[k], double(sy[k + 1]) - sy[k],
                double(sy[k + 2]) - sy[k]));
    }
    return std::isfinite(fewest) ? fewest * kSafety : 0;
}

int decodeScale(const ProjectionRecord& src, const RixLens* lens, const ProjectionRecord& dst, int32_t dstW,
    int32_t dstH, int32_t interp)
{
    // Photos read through one circle share their geometry: each thread keeps
    // its last answer, so that a run samples its mapping once.
    struct Question {
        ProjectionRecord src{}, dst{};
        RixLens lens{};
        int32_t hasLens = 0; // all fields of four or eight bytes: no padding for memcmp
        int32_t dstW = 0, dstH = 0, interp = 0;
    };
    static_assert(sizeof(Question) == 2 * sizeof(ProjectionRecord) + sizeof(RixLens) + 4 * sizeof(int32_t));
    thread_local std::optional<std::pair<Question, int>> last;
    Question question{src, dst, lens ? *lens : RixLens{}, lens ? 1 : 0, dstW, dstH, interp};
    if (last && std::memcmp(&last->first, &question, sizeof question) == 0)
        return last->second;

    const double fewest = fewestSourcePixelsPerPixel(src, lens, dst, dstW, dstH);
    int chosen = 1;
    for (const int scale : kDecodeScales)
        if (fewest / scale >= sourcePixelsNeeded(interp)) {
            chosen = scale;
            break;
        }
    last.emplace(question, chosen);
    return chosen;
}

int32_t scaledSide(int32_t size, int scale) { return (size + scale - 1) / scale; }

ProjectionRecord scaledRecord(const ProjectionRecord& prm, int32_t srcH, int scale)
{
    ProjectionRecord scaled = prm;
    scaled.Cx = prm.Cx / scale;
    scaled.Cy = scaledSide(srcH, scale) - (srcH - prm.Cy) / scale;
    scaled.R = prm.R / scale;
    return scaled;
}

} // namespace karwen
