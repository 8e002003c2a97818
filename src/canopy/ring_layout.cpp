#include "ring_layout.h"

#include <cmath>
#include <numbers>

namespace karwen::canopy {

namespace {

// Ring edges this close below 90 degrees (radians) lie on the horizon.
constexpr double kHorizonAngle = 1e-6;

} // namespace

RingLayout::RingLayout(int rings, int sectors, double maxZenith)
    : rings_(rings)
    , sectors_(sectors)
    , maxZenith_(maxZenith)
{
    // An edge at the horizon has the cosine 0 exactly. 90 degrees through
    // the program's degree constant fall 1.2e-8 radians short of pi / 2,
    // whose cosine in doubles is not 0 either; either would put the rim
    // itself, where pixel centres past it look, beyond the last ring of a
    // layout to 90 degrees.
    for (int k = 0; k < rings; ++k) {
        const double edge = (k + 1) * ringWidth();
        cosEdge_.push_back(edge > std::numbers::pi / 2 - kHorizonAngle ? 0.0 : std::cos(edge));
    }
    for (int s = 0; s < sectors; ++s) {
        const double a = 2.0 * std::numbers::pi * s / sectors;
        edge_.push_back(s == 0 ? 0.0 : pseudoAngle(std::cos(a), std::sin(a)));
    }
    int s = 0;
    for (std::size_t c = 0; c < kCells; ++c) {
        const double start = 4.0 * double(c) / kCells;
        while (s + 1 < sectors && start >= edge_[static_cast<std::size_t>(s + 1)])
            ++s;
        cellSector_.push_back(s);
    }
}

} // namespace karwen::canopy
