// The geometry of one conversion, prepared from the two records: the
// constants of the row kernels and where each destination row starts.
#pragma once

#include "deform_kernels.h"
#include "rix.h"

namespace rix {

// Where destination pixel (x, y) lies in the normalised destination plane
// (tilt undone) and how that moves per pixel to the right.
struct RowStart {
    float u0, du, v0, dv;
};

class DeformGeometry {
public:
    // Throws Error for a projection code out of range, and for a lens given
    // to (or missing from) a source whose code is (not) RixLensSource; the
    // lens must outlive the geometry. Records that cannot describe a circle
    // (R <= 0, a field not finite) give an all-black result.
    DeformGeometry(const ProjectionRecord& src, const ProjectionRecord& dst, const LensForm* lens = nullptr);

    [[nodiscard]] bool allBlack() const { return black_; }
    [[nodiscard]] const MapConstants& constants() const { return k_; }
    [[nodiscard]] RowStart start(int x, int y) const;
    // Columns [first, last) of destination row y that can see anything,
    // clipped to 0..width; everything else lies outside the destination
    // circle (with a margin of two pixels against rounding) and is black.
    void span(int y, int width, int& first, int& last) const;

private:
    MapConstants k_;
    bool black_ = false;
    double dstCx_ = 0, dstCy_ = 0, dstReach_ = 0; // reach < 0: unbounded (perspective)
    // Destination pixel (x, y) sits at u = uConst + uPerX * x + uPerY * y,
    // likewise v, all in double until the row is formed.
    double uConst_ = 0, uPerX_ = 0, uPerY_ = 0;
    double vConst_ = 0, vPerX_ = 0, vPerY_ = 0;
};

} // namespace rix
