// Coverage of the dots' 95 % intervals over random skies: the dots stay
// where they are, the sky moves, and the truth is each sky's exact ring gap
// fractions and openness; the bootstrap interval of le is the same on
// every call. Small gaps (narrower than the dot spacing of
// about 4.5 degrees) and large ones, at openness about 0.02, 0.2 and 0.6.
#include "canopy_indices.h"
#include "dot_figures.h"
#include "dot_placement.h"
#include "dot_sky.h"
#include "projection_model.h"
#include "synthetic_sky.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace karwen::canopy {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180.0;
constexpr int kScenes = 200;

// The dots' directions on the sky of a fisheye destination: zenith from the
// dot's ring, azimuth from where the dot lies around the circle.
struct DotDirections {
    std::array<double, kDotCount + 1> x{}, y{}, z{};
};

DotDirections dotDirections(int32_t projection)
{
    std::array<float, kDotCount + 1> px{}, py{};
    computeDotPositions({0.0, 0.0, 1.0}, {1.0f, 0, 0, 0}, px, py); // view y counts down
    const DotSky sky = *dotSky(projection);
    DotDirections d;
    for (std::size_t n = 1; n <= kDotCount; ++n) {
        const double a = std::atan2(-double(py[n]), double(px[n]));
        const double s = std::sqrt(1.0 - sky.cosZenith[n] * sky.cosZenith[n]);
        d.x[n] = s * std::cos(a);
        d.y[n] = s * std::sin(a);
        d.z[n] = sky.cosZenith[n];
    }
    return d;
}

TEST(DotScenes, CapSolidAnglesWorkedInClosedForm)
{
    const test::Cap tilted{std::sin(40 * kDeg), 0.0, std::cos(40 * kDeg), 15 * kDeg, std::cos(15 * kDeg)};
    const test::Scene one{{}, {tilted}, true};
    EXPECT_NEAR(one.gapSolidAngle(0.0, kPi / 2.0), 2.0 * kPi * (1.0 - std::cos(15 * kDeg)), 1e-9);
    // A cap on the zenith fills the bands inside its radius.
    const test::Cap zenith{0.0, 0.0, 1.0, 20 * kDeg, std::cos(20 * kDeg)};
    const test::Scene top{{}, {zenith}, false};
    EXPECT_NEAR(top.gapSolidAngle(10 * kDeg, 30 * kDeg), 2.0 * kPi * (std::cos(20 * kDeg) - std::cos(30 * kDeg)), 1e-9);
    // A cap centred on the horizon is half above it.
    const test::Cap horizon{1.0, 0.0, 0.0, 10 * kDeg, std::cos(10 * kDeg)};
    EXPECT_NEAR(
        (test::Scene{{}, {horizon}, true}.gapSolidAngle(0.0, kPi / 2.0)), kPi * (1.0 - std::cos(10 * kDeg)), 1e-9);
    // Split at 45 degrees, the two parts add up.
    EXPECT_NEAR(one.gapSolidAngle(0.0, 45 * kDeg) + one.gapSolidAngle(45 * kDeg, kPi / 2.0),
        one.gapSolidAngle(0.0, kPi / 2.0), 1e-9);
}

struct CoverageCase {
    const char* name;
    test::CapSkyKind kind;
};

const CoverageCase kCases[] = {
    {"small gaps, openness 0.02", {0.02, 1.0, 3.0, true}},
    {"small gaps, openness 0.2", {0.2, 1.0, 3.0, true}},
    {"small gaps, openness 0.6", {0.4, 1.0, 3.0, false}},
    {"large gaps, openness 0.02", {0.02, 5.0, 10.0, true}},
    {"large gaps, openness 0.2", {0.2, 10.0, 25.0, true}},
    {"large gaps, openness 0.6", {0.4, 10.0, 25.0, false}},
};

class DotCoverage : public ::testing::TestWithParam<CoverageCase> { };

TEST_P(DotCoverage, BothIntervalsHoldTheTruth)
{
    const CanopySettings settings;
    const RingLayout layout = RingLayout::of(settings);
    const RingWeights weights(layout);
    int openHeld = 0, leHeld = 0;
    double openness = 0.0;
    for (int scene = 0; scene < kScenes; ++scene) {
        const int32_t projection = scene % 4;
        const DotDirections dots = dotDirections(projection);
        const test::Scene sky = test::capSky(7919u * uint64_t(scene) + 17u, GetParam().kind);
        DotGaps gaps{};
        for (std::size_t n = 1; n <= kDotCount; ++n)
            gaps[n] = sky.sky(dots.x[n], dots.y[n], dots.z[n]);
        const DotFigures f = measureDots(gaps, projection, settings);
        ASSERT_EQ(f.status, DotStatus::Ok);
        ASSERT_TRUE(f.le.has_value());

        const double trueOpenness = sky.gapSolidAngle(0.0, kPi / 2.0) / (2.0 * kPi);
        std::vector<double> ringGap;
        for (int k = 0; k < layout.rings(); ++k) {
            const double t0 = k * layout.ringWidth(), t1 = t0 + layout.ringWidth();
            ringGap.push_back(sky.gapSolidAngle(t0, t1) / (2.0 * kPi * (std::cos(t0) - std::cos(t1))));
        }
        bool saturated = false;
        const double trueLe = weights.le(ringGap, saturated);
        openness += trueOpenness / kScenes;
        openHeld += f.openness.lo <= trueOpenness && trueOpenness <= f.openness.hi;
        leHeld += f.le->lo <= trueLe && trueLe <= f.le->hi;
        EXPECT_LE(f.le->lo, f.le->value);
        EXPECT_GE(f.le->hi, f.le->value);
        if (scene % 20 == 0) { // the bootstrap draws the same numbers on every call
            const DotFigures again = measureDots(gaps, projection, settings);
            EXPECT_EQ(again.le->lo, f.le->lo);
            EXPECT_EQ(again.le->hi, f.le->hi);
        }
    }
    const double openCoverage = double(openHeld) / kScenes, leCoverage = double(leHeld) / kScenes;
    std::printf("[dots] %s (mean %.3f): openness interval held %.3f, le interval %.3f\n", GetParam().name, openness,
        openCoverage, leCoverage);
    EXPECT_GE(openCoverage, 0.90);
    EXPECT_GE(leCoverage, 0.90);
}

INSTANTIATE_TEST_SUITE_P(RandomSkies, DotCoverage, ::testing::ValuesIn(kCases));

} // namespace
} // namespace karwen::canopy
