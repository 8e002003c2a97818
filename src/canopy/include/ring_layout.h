// Zenith rings of equal width from 0 to the maximum zenith angle, and
// azimuth sectors of equal width counter-clockwise from the image x axis.
// Angles in radians, converted from degrees as the program converts all
// its angles (kDegToRad).
//
// Both are found without inverse trigonometry, since a map of millions of
// pixels asks for them once per pixel: the ring by comparing cos(t) with
// the cosines of the ring edges, the sector by comparing a pseudo-angle of
// the direction, monotonic in the azimuth, with those of the sector edges.
#pragma once

#include "canopy_settings.h"
#include "projection_model.h"

#include <cmath>
#include <vector>

namespace karwen::canopy {

class RingLayout {
public:
    RingLayout(int rings, int sectors, double maxZenith);
    [[nodiscard]] static RingLayout of(const CanopySettings& s)
    {
        return {s.rings, s.sectors, s.maxZenithDeg * kDegToRad};
    }
    [[nodiscard]] bool operator==(const RingLayout& o) const
    {
        return rings_ == o.rings_ && sectors_ == o.sectors_ && maxZenith_ == o.maxZenith_;
    }

    [[nodiscard]] int rings() const { return rings_; }
    [[nodiscard]] int sectors() const { return sectors_; }
    [[nodiscard]] double maxZenith() const { return maxZenith_; }
    [[nodiscard]] double ringWidth() const { return maxZenith_ / rings_; }
    [[nodiscard]] double ringCentre(int k) const { return (k + 0.5) * ringWidth(); }

    // The ring of the direction whose zenith angle has cosine c: ring k
    // holds (k w, (k + 1) w] (ring 0 the zenith too); -1 beyond the maximum.
    [[nodiscard]] int ringOf(double c) const
    {
        int k = 0;
        while (k < rings_ && c < cosEdge_[static_cast<std::size_t>(k)])
            ++k;
        return k < rings_ ? k : -1;
    }

    // Whether ringOf(c) is k: two comparisons, where finding the ring takes
    // up to one per ring.
    [[nodiscard]] bool holds(int k, double c) const
    {
        if (k < 0)
            return c < cosEdge_.back();
        const auto i = static_cast<std::size_t>(k);
        return !(c < cosEdge_[i]) && (i == 0 || c < cosEdge_[i - 1]);
    }

    // The sector of the direction (x, y): sector s holds azimuths from
    // 2 pi s / sectors up to the next edge. The zenith itself is sector 0.
    [[nodiscard]] int sectorOf(double x, double y) const { return sectorAt(pseudoAngle(x, y)); }

    // The sector of pseudo-angle d.
    [[nodiscard]] int sectorAt(double d) const
    {
        // A cell of the pseudo-angle is narrower than any sector, so at
        // most one sector edge passes through it: the cell's first sector
        // or the next.
        const auto cell = static_cast<std::size_t>(d * (kCells / 4.0));
        const int s = cellSector_[cell < kCells ? cell : kCells - 1];
        return s + 1 < sectors_ && d >= edge_[static_cast<std::size_t>(s + 1)] ? s + 1 : s;
    }

    // 0..4 over a full turn from the x axis, increasing with the azimuth;
    // 0 for the zenith itself. Written without branches, so that loops over
    // many directions run several at a time.
    [[nodiscard]] static double pseudoAngle(double x, double y)
    {
        const double sum = std::abs(x) + std::abs(y);
        const double ys = y / sum, xs = x / sum;
        const double upper = x >= 0.0 ? ys : 1.0 - xs;
        const double lower = x < 0.0 ? 2.0 - ys : 3.0 + xs;
        const double d = y >= 0.0 ? upper : lower;
        return sum > 0.0 ? d : 0.0;
    }

private:
    static constexpr std::size_t kCells = 1024;

    int rings_;
    int sectors_;
    double maxZenith_;
    std::vector<double> cosEdge_; // cos of each ring's outer edge
    std::vector<double> edge_;    // pseudo-angle where each sector starts
    std::vector<int> cellSector_; // sector at the start of each pseudo-angle cell
};

} // namespace karwen::canopy
