// Synthetic hemispherical photos whose gap fractions are known exactly.
//
// A scene says for every direction of the view frame (zenith from the view
// direction, azimuth counter-clockwise from x) whether it is sky. Patch
// scenes are unions of disjoint zenith x azimuth rectangles, so the gap
// solid angle of any ring or sector is a sum of closed-form terms; cap
// scenes are disjoint circular caps, whose solid angles are closed-form too.
// The renderer inverse-maps each pixel centre through the program's radial
// model and the record's view angles, as a camera would have seen the scene.
#pragma once

#include "pixel_view.h"
#include "rix.h"

#include <cstdint>
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

    [[nodiscard]] bool sky(double ex, double ey, double ez) const;
    // Gap solid angle over zenith [t0, t1] x azimuth [a0, a1] (patches only).
    [[nodiscard]] double gapSolidAngle(double t0, double t1, double a0, double a1) const;
    // Gap share of the whole hemisphere (patches and caps, caps inside it).
    [[nodiscard]] double openness() const;
};

// Patches in cells of 6 x 20 degrees up to 78 degrees of zenith, each
// cell's patch of random extent, sky more likely towards the zenith; no
// patch touches zenith angles from skipFrom to skipTo degrees.
[[nodiscard]] Scene patchScene(uint64_t seed, double skipFrom = -1.0, double skipTo = -1.0);
// Disjoint caps of 3 to 20 degrees radius, all inside the hemisphere.
[[nodiscard]] Scene capScene(uint64_t seed);

// Figures straight from the definitions for a patch scene.
struct Truth {
    double openness;
    std::vector<double> ringGap, sectorGap;
    double difn, le, l, lx;
    bool saturated; // some ring or sector without gap
};
[[nodiscard]] Truth truthOf(const Scene& scene, int rings, double maxZenithDeg, int sectors);

// A photo in bottom-up rows (the imaging library's layout): sky pixels
// bright blue, canopy dark green with a little deterministic noise, black
// outside the circle. A pixel across the rim shows what the rim sees.
struct Photo {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    [[nodiscard]] PixelView view() const { return {pixels.data(), width, height, width}; }
};
[[nodiscard]] Photo render(const Scene& scene, const ProjectionRecord& record, int width, int height);
// One colour on every pixel holding part of the circle, black elsewhere.
[[nodiscard]] Photo uniform(uint32_t colour, const ProjectionRecord& record, int width, int height);

[[nodiscard]] ProjectionRecord fisheye(
    int32_t proj, double cx, double cy, double r, double alpha = 0.0, double beta = 0.0, double rot = 0.0);

} // namespace karwen::canopy::test
