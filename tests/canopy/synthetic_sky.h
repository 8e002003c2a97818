// Synthetic hemispherical photos whose gap fractions are known exactly.
//
// A scene says for every direction of the view frame (zenith from the view
// direction, azimuth counter-clockwise from x) whether it is sky. Patch
// scenes are unions of disjoint zenith x azimuth rectangles, so the gap
// solid angle of any ring or sector is a sum of closed-form terms; cap
// scenes are disjoint circular caps, gaps on a canopy sky or canopy on an
// open one, whose solid angle within a zenith band is an integral worked
// to about 1e-9 of the band. A cap may reach past the horizon; only its
// part above it counts.
// The renderer inverse-maps each pixel centre through the program's radial
// model and the record's view angles, as a camera would have seen the scene.
#pragma once

#include "pixel_figures.h"
#include "pixel_view.h"
#include "radial_geometry.h"
#include "rix.h"
#include "sky_grid.h"
#include "sky_map.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <numbers>
#include <numeric>
#include <string>
#include <vector>

namespace karwen::canopy::test {

inline constexpr uint32_t kBlack = 0xff000000u;

struct Patch {
    double t0, t1; // zenith range, radians
    double a0, a1; // azimuth range within [0, 2 pi), radians
};

struct Cap {
    double x, y, z; // unit centre in the view frame
    double radius;  // angular radius, radians
    double cosRadius;
};

struct Scene {
    std::vector<Patch> patches;
    std::vector<Cap> caps;
    bool capsAreSky = true; // else canopy caps on an open sky, and no patches

    [[nodiscard]] bool sky(double ex, double ey, double ez) const;
    // Gap solid angle over zenith [t0, t1] x azimuth [a0, a1] (patches only).
    [[nodiscard]] double gapSolidAngle(double t0, double t1, double a0, double a1) const;
    // Gap solid angle between zenith angles t0 < t1 over all azimuths.
    [[nodiscard]] double gapSolidAngle(double t0, double t1) const;
    // Gap share of the whole hemisphere.
    [[nodiscard]] double openness() const;
};

// Patches in cells of 6 x 20 degrees up to 78 degrees of zenith, each
// cell's patch of random extent, sky more likely towards the zenith; no
// patch touches zenith angles from skipFrom to skipTo degrees.
[[nodiscard]] Scene patchScene(uint64_t seed, double skipFrom = -1.0, double skipTo = -1.0);
// Disjoint caps of 3 to 20 degrees radius, all inside the hemisphere.
[[nodiscard]] Scene capScene(uint64_t seed);

struct CapSkyKind {
    double covered;                    // the caps' share of the hemisphere, about
    double minRadiusDeg, maxRadiusDeg; // cap radii drawn uniformly between
    bool capsAreSky;
};
// Caps at random places until they cover about kind.covered of the
// hemisphere.
[[nodiscard]] Scene capSky(uint64_t seed, const CapSkyKind& kind);

// Figures straight from the definitions for a patch scene.
struct Truth {
    double openness;
    std::vector<double> ringGap, sectorGap;
    double difn, le, l, lx;
    bool saturated; // some ring or sector without gap
};
[[nodiscard]] Truth truthOf(const Scene& scene, int rings, double maxZenithDeg, int sectors);
// The figures of a photo of a patch scene against its truth, to the
// accuracy of a photo of R 300 or more; a view off the camera axis loses a
// lune of twice its tilt beyond every patch, and its openness is a share
// of the rest.
void expectMatchesTruth(const PixelFigures& f, const Scene& scene, const ProjectionRecord& record,
    const CanopySettings& settings, double sectorTolerance = 0.01);

// How a photo shows its rim: anti-aliased on black, as a lens does; or
// hard, every pixel across it showing what its centre (or the rim point on
// its ray) sees. A rendered scene with a hard rim stands on a grey surround,
// bright enough that its rim pixels are read as all the others: for tests
// that need every pixel classified by its centre's direction.
enum class Rim { Lens, Hard };

struct Photo {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    [[nodiscard]] PixelView view() const { return {pixels.data(), width, height, width}; }
};

// A photo in bottom-up rows (the imaging library's layout): sky pixels
// bright blue, canopy dark green with a little deterministic noise, black
// outside the circle. With Rim::Lens a pixel across the rim is the mean in
// linear light of 4 x 4 samples, black past it.
// Through a lens (record.Proj RixLensSource) the rim is the lens's 90-degree
// circle or, for a narrower lens, its field's rim; a wider lens's ring
// beyond 90 degrees is painted sky (a pixel centre less than a pixel past
// 90 degrees shows what the 90-degree point on its ray sees).
[[nodiscard]] Photo render(const Scene& scene, const ProjectionRecord& record, int width, int height,
    const RixLens* lens = nullptr, Rim rim = Rim::Lens);
// One colour on every pixel holding part of the circle, black elsewhere;
// with Rim::Lens the pixels across the rim are anti-aliased on the black.
[[nodiscard]] Photo uniform(
    uint32_t colour, const ProjectionRecord& record, int width, int height, Rim rim = Rim::Hard);

// An image of the imaging library for the length of a test: blank, a copy
// of a photo, or a JPEG file as loaded (handle 0 when that fails).
class RixImage {
public:
    RixImage(int width, int height)
        : handle_(RixCreate(width, height))
    {
    }
    explicit RixImage(const Photo& photo);
    explicit RixImage(const std::string& jpeg)
        : handle_(RixLoadJPG(jpeg.c_str()))
    {
    }
    ~RixImage()
    {
        if (handle_ > 0)
            (void)RixDestroy(handle_);
    }
    RixImage(const RixImage&) = delete;
    RixImage& operator=(const RixImage&) = delete;

    [[nodiscard]] int32_t handle() const { return handle_; }
    [[nodiscard]] PixelView view() const { return pixelViewOf(handle_).value_or(PixelView{}); }

private:
    int32_t handle_;
};

// The radial model of an ideal projection, or of a record's.
[[nodiscard]] RadialModel idealModel(int32_t proj);
[[nodiscard]] inline RadialModel idealModel(const ProjectionRecord& record) { return idealModel(record.Proj); }

// A lens of these polynomial coefficients (from the first power up) and
// half field in degrees.
[[nodiscard]] inline RixLens lensOf(std::initializer_list<double> a, double halfFov)
{
    RixLens lens{};
    std::copy(a.begin(), a.end(), lens.A);
    lens.HalfFov = halfFov;
    return lens;
}

[[nodiscard]] inline ProjectionRecord fisheye(
    int32_t proj, double cx, double cy, double r, double alpha = 0.0, double beta = 0.0, double rot = 0.0)
{
    return {cx, cy, r, alpha, beta, rot, proj};
}

template <class Range> [[nodiscard]] double sumOf(const Range& values)
{
    return std::accumulate(std::begin(values), std::end(values), 0.0);
}

// The largest difference between two lists of figures; infinite when their
// lengths differ.
[[nodiscard]] inline double maxDifference(const std::vector<double>& a, const std::vector<double>& b)
{
    if (a.size() != b.size())
        return std::numeric_limits<double>::infinity();
    double most = 0.0;
    for (std::size_t i = 0; i < b.size(); ++i)
        most = std::max(most, std::fabs(a[i] - b[i]));
    return most;
}

// The share of the hemisphere of values per region of the grid (gaps, or
// the shares shown) weighted by the regions' solid angles.
[[nodiscard]] inline double regionShare(const std::vector<double>& values, const light::SkyGrid& grid)
{
    double sum = 0.0;
    for (int k = 0; k < grid.regions(); ++k)
        sum += values[std::size_t(k)] * grid.solidAngle(k);
    return sum / (2.0 * std::numbers::pi);
}

// A rim pixel's weight in the figures.
[[nodiscard]] inline double weightOf(const SkyMap& map, const SkyMap::RimPixel& p)
{
    const SkyMap::Row& row = map.rows()[p.row];
    return map.weights()[row.firstWeight + std::size_t(p.x - row.x0)];
}

} // namespace karwen::canopy::test
