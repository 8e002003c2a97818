// The geometry of a source photo, pixel by pixel: which pixels see the view
// hemisphere, the solid angle each one covers, and the zenith ring and
// azimuth sector it falls in. It depends only on the source record, the
// image size and the ring layout, never on the pixels, so one map serves
// every photo taken through the same circle; sharedSkyMap keeps the last
// one built.
//
// Principle of operation, per pixel (i, j) of the source, j counted upward
// (the steps of the resampler named below are RixSDeform's, listed in
// src/imaging/deform.cpp):
//  1. The pixel centre relative to the circle, in radii, gives (x, y) and
//     rho = |(x, y)|; pixels that hold part of the circle (a centre within
//     half a pixel past the rim) and whose centre lies on the image count.
//  2. The source's radial model (RadialModel: the projection's, sin(t) =
//     rho * sin_over_r(sqrt(1 - rho^2)), or the lens's) gives t, the angle
//     from the camera axis; the
//     camera-frame direction is (sin(t) (x, y) / rho with the tilt Rot
//     undone, cos(t)), exactly the inverse of the resampler's step 3.
//  3. The view angles turn it into the view frame (the inverse of the
//     resampler's step 2): its zenith is measured from the view direction,
//     its azimuth counter-clockwise from the view frame's x axis, which is
//     the destination image's x axis of a conversion. Pixels more than 90
//     degrees from the view direction get weight 0.
//  4. The weight is the solid angle the pixel covers, sin(t) / (rho drho/dt)
//     per unit of normalised area, averaged over the pixel's radial extent
//     a..b = rho +- 1/(2R): the exact solid angle of the part of that thin
//     annulus inside the rim, 2 (cos t(a) - cos t(min(b, 1))) / (b^2 - a^2),
//     divided by R^2. Averaging keeps the orthographic rim finite, where
//     drho/dt vanishes; clipping counts a pixel across the rim by the part
//     of it inside, so the weights of a whole circle add up to 2 pi. A
//     centre just past the rim takes the direction of the rim point on its
//     ray (t = 90 degrees) for steps 2 and 3.
// PixelSky does these steps for one pixel. When the view looks along the
// camera axis (Alpha = Beta = 0, the usual case) the map is built row by
// row instead: the bin changes only at places worked out per row, so only
// the pixels beside them are classified one by one (see buildAxial).
//
// Memory: up to 6 bytes per pixel counted (a float weight, shared
// by the rows at y and -y where they hold the same, and a 16-bit bin) plus
// 40 bytes per image row.
#pragma once

#include "radial_geometry.h"
#include "ring_layout.h"
#include "rix.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace karwen::canopy {

class PixelSky;

// A source record the map can be built from: finite fields, a positive
// radius, and projection 0..3 with the coefficient tables filled or the lens
// code (whose lens RadialModel::of checks).
[[nodiscard]] bool isUsableSource(const ProjectionRecord& src);

class SkyMap {
public:
    // Pixels of row y, columns [x0, x1): their bins at bins()[first ...],
    // their weights at weights()[firstWeight ...]. Rows that hold exactly
    // the same weights (at y and -y of a view along the camera axis) share
    // them; mirrored marks the later one. The pixels [inner0, inner1) lie
    // wholly inside the circle, those before and after reach past the rim.
    struct Row {
        int y;
        int x0, x1;
        std::size_t first;
        std::size_t firstWeight = 0;
        bool mirrored = false;
        int inner0 = 0, inner1 = 0;
    };

    // A pixel of the map that reaches past the rim: column x of rows()[row],
    // the share of its square inside the rim, its weight (0 behind the
    // view) and bin. One with less than a quarter inside also names the
    // pixel it is read by: its inner neighbour, the first pixel with a
    // quarter inside or more one step after another towards the centre
    // along the radius (innerX -1 when the way leaves the map), and that
    // pixel's inside share (1 for a pixel wholly inside). Sorted by row,
    // then column: the pixels of each row outside [inner0, inner1).
    struct RimPixel {
        uint32_t row;
        int32_t x;
        float inside;
        float weight;
        uint16_t bin;
        int32_t innerX = -1, innerY = -1;
        float innerInside = 1.0f;
    };
    // Below this share a rim pixel is read by its inner neighbour.
    static constexpr float kLeastInside = 0.25f;

    // src must be usable (isUsableSource) and model its radial model, the
    // sides positive.
    SkyMap(const ProjectionRecord& src, const RadialModel& model, int width, int height, const RingLayout& layout);
    SkyMap(const SkyMap&) = delete;
    SkyMap& operator=(const SkyMap&) = delete;

    [[nodiscard]] bool matches(
        const ProjectionRecord& src, const RadialModel& model, int width, int height, const RingLayout& layout) const;

    [[nodiscard]] const RingLayout& layout() const { return layout_; }
    // Ring k, sector s is bin k * sectors + s; the last bin holds the pixels
    // between the maximum zenith angle and 90 degrees.
    [[nodiscard]] int binCount() const { return layout_.rings() * layout_.sectors() + 1; }
    [[nodiscard]] int beyondBin() const { return binCount() - 1; }

    [[nodiscard]] std::span<const Row> rows() const { return rows_; }
    // The row of the image row y, if the map holds one.
    [[nodiscard]] const Row* rowAt(int y) const;
    [[nodiscard]] std::span<const RimPixel> rimPixels() const { return rim_; }
    [[nodiscard]] const ProjectionRecord& source() const { return src_; }
    [[nodiscard]] const RadialModel& model() const { return model_; }
    [[nodiscard]] std::span<const float> weights() const { return {weights_.get(), weightCount_}; }
    [[nodiscard]] std::span<const uint16_t> bins() const { return {bins_.get(), count_}; }
    // The largest of the weights (0 when the map holds no pixel).
    [[nodiscard]] float maxWeight() const { return maxWeight_; }
    // How many pixels each bin holds.
    [[nodiscard]] std::span<const double> binPixels() const { return binPixels_; }

    // Solid angle in steradians that the photo shows of each bin.
    [[nodiscard]] std::span<const double> binSolidAngle() const { return binSolidAngle_; }
    // Share of the solid angle up to the maximum zenith angle that the
    // photo shows: 1 unless the view reaches past the circle or the image.
    [[nodiscard]] double coveredShare() const { return coveredShare_; }

private:
    void shareWeights();
    void buildGeneral(const PixelSky& sky);
    void buildAxial(const PixelSky& sky);
    void weighRimPixels(std::size_t r, const PixelSky& sky, const double* ez);
    void linkInnerNeighbours();
    void countBinPixels();

    ProjectionRecord src_;
    RadialModel model_;
    int width_, height_;
    RingLayout layout_;
    std::vector<Row> rows_;
    std::vector<RimPixel> rim_;
    // Every entry is written by the build, so none is set beforehand.
    std::size_t count_ = 0;
    std::size_t weightCount_ = 0;
    std::unique_ptr<float[]> weights_;
    std::unique_ptr<uint16_t[]> bins_;
    float maxWeight_ = 0.0f;
    std::vector<double> binPixels_;
    std::vector<double> binSolidAngle_;
    double coveredShare_ = 0.0;
};

// The map for these arguments: the last one built when it matches, else a
// new one, which then replaces it. Safe to call from several threads.
[[nodiscard]] std::shared_ptr<const SkyMap> sharedSkyMap(
    const ProjectionRecord& src, const RadialModel& model, int width, int height, const RingLayout& layout);

} // namespace karwen::canopy
