// Canopy figures from the 1000 sample dots of a fisheye destination view,
// one chosen class counting as gap. Each dot stands for the solid angle of
// its share of its ring's annulus (dot_sky.h). Dots whose point falls off
// the photo show nothing of the sky and are left out of both figures.
//
// openness: the weighted gap share, with a 95 % Wilson (1927) score
//   interval whose sample size is Kish's (1965) effective size
//   (sum w)^2 / sum w^2.
// le: the dots binned into the zenith rings of the settings (dots beyond
//   the maximum zenith angle left out), each ring's gap fraction its
//   weighted gap share, with a 95 % percentile interval of le over draws of
//   the ring gap fractions: per ring from Beta(x + 1/2, n - x + 1/2), x and
//   n the ring's weighted gap dots and effective dots (the Jeffreys
//   posterior, which keeps a spread where a ring has no gap dot or no
//   canopy dot). A fixed-seed generator of our own draws them, so the
//   interval is the same on every platform.
#pragma once

#include "area_model.h"
#include "canopy_settings.h"
#include "floor_bound.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace karwen::canopy {

// Element n is dot n, as in the area tables; element 0 is unused.
using DotGaps = std::array<bool, kDotCount + 1>;
// Which dots something holds for, indexed the same way.
using DotMask = std::array<bool, kDotCount + 1>;
inline constexpr DotMask kNoDots{};

inline constexpr double kConfidenceZ = 1.96;
inline constexpr int kBootstrapReplicates = 2000;
inline constexpr uint64_t kBootstrapSeed = 0x6b617277656e3031ull;

// The dots of class gapClass (e.g. DotClass and the class painted as sky).
[[nodiscard]] DotGaps gapsOfClass(std::span<const int16_t, kDotCount + 1> classes, int16_t gapClass);

enum class DotStatus {
    Ok,
    Unavailable, // a perspective destination: its dots cover no whole hemisphere
    OffPhoto,    // every dot falls off the photo
    BadSettings, // isValid(settings) fails
    NoTables,    // start-up has not filled the area or coefficient tables yet
};

struct Estimate {
    double value = 0.0;
    double lo = 0.0; // 95 % interval
    double hi = 0.0;
};

struct DotFigures {
    DotStatus status = DotStatus::Ok;
    Estimate openness;
    std::optional<Estimate> le; // none when a zenith ring holds no dot
    double effectiveDots = 0.0; // Kish's effective sample size
    bool saturated = false;     // a zenith ring without a gap dot
    // When saturated: le with each ring without a gap dot counted as one
    // dot's share of it (one over its dots).
    std::optional<FloorBound> leBound;
    int outside = 0;           // dots whose point falls off the photo, left out of both dot figures
    std::vector<int> ringDots; // read dots in each zenith ring of the settings
};

// outside marks the dots whose point falls off the photo (dotsOffPhoto in
// dot_gaps.h); their gaps entries are not looked at.
[[nodiscard]] DotFigures measureDots(
    const DotGaps& gaps, int32_t dstProjection, const CanopySettings& settings, const DotMask& outside = kNoDots);

// The 95 % Wilson score interval of a share p from n (effective) trials.
[[nodiscard]] Estimate wilsonInterval(double p, double n);

} // namespace karwen::canopy
