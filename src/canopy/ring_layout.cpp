#include "ring_layout.h"

#include <numbers>

namespace karwen::canopy {

RingLayout::RingLayout(int rings, int sectors, double maxZenith)
    : rings_(rings)
    , sectors_(sectors)
    , maxZenith_(maxZenith)
{
    for (int k = 0; k < rings; ++k)
        cosEdge_.push_back(std::cos((k + 1) * ringWidth()));
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
