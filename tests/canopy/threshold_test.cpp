// Thresholds and pixel values against hand-computed cases.
#include "pixel_values.h"
#include "threshold.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

namespace karwen::canopy {
namespace {

struct HistogramCase {
    const char* name;
    std::vector<std::pair<int, double>> bins; // value, weight
    int otsu;
    int ridler;
};

// A histogram holding these weights at these values.
Histogram spikes(const std::vector<std::pair<int, double>>& bins)
{
    Histogram h{};
    for (const auto& [v, w] : bins)
        h[static_cast<std::size_t>(v)] = w;
    return h;
}

// Worked by hand, with between-class variance W0 W1 (m1 - m0)^2:
//  two spikes 50, 200: every T in 50..199 splits alike, the lowest wins;
//    Ridler: mean 125, class means 50 and 200, midpoint 125.
//  0, 100, 200 once each: T = 0 gives 1 * 2 * 150^2 = 45000, T = 100 gives
//    2 * 1 * 150^2 = 45000 as well: the tie goes to 0. Ridler: mean 100 puts
//    100 below (means 50, 200), midpoint 125, stable.
//  0 x3, 80, 255: T = 0: 3*2*167.5^2 = 168337.5 < T = 80: 4*1*235^2 =
//    220900. Ridler: mean 67 -> means 0 and
//    167.5 -> 83.75 moves 80 below -> means 20 and 255 -> 137.5, stable.
//  10 x3, 20, 200 x2, 210 x2: T = 10: 3*5*158^2 = 374460; T = 20:
//    4*4*192.5^2 = 592900; T = 200: 6*2*135^2 = 218700. Ridler: mean
//    108.75, means 12.5 and 205, midpoint 108.75, stable.
//  a single value or nothing: no split, the middle of the scale.
const HistogramCase kHistograms[] = {
    {"two_spikes", {{50, 1.0}, {200, 1.0}}, 50, 125},
    {"tie_goes_low", {{0, 1.0}, {100, 1.0}, {200, 1.0}}, 0, 125},
    {"ridler_moves", {{0, 3.0}, {80, 1.0}, {255, 1.0}}, 80, 137},
    {"bimodal", {{10, 3.0}, {20, 1.0}, {200, 2.0}, {210, 2.0}}, 20, 108},
    {"weights_not_counts", {{10, 0.003}, {20, 0.001}, {200, 0.002}, {210, 0.002}}, 20, 108},
    {"single_value", {{90, 5.0}}, kMidScale, kMidScale},
    {"empty", {}, kMidScale, kMidScale},
};

class Thresholds : public ::testing::TestWithParam<HistogramCase> { };

TEST_P(Thresholds, OtsuAndRidler)
{
    const Histogram h = spikes(GetParam().bins);
    EXPECT_EQ(otsuThreshold(h), GetParam().otsu);
    EXPECT_EQ(ridlerThreshold(h), GetParam().ridler);
    EXPECT_EQ(chooseThreshold(h, {}, {.method = ThresholdMethod::Fixed, .fixedThreshold = 201}), 201);
}

INSTANTIATE_TEST_SUITE_P(HandComputed, Thresholds, ::testing::ValuesIn(kHistograms),
    [](const auto& test) { return std::string(test.param.name); });

// Two normal humps of equal weight and spread, only every other value
// occupied: the comb is smoothed away first, and a histogram symmetric about
// `middle` stays so, so its valley is there.
Histogram combOfTwoHumps(int low, int high, double spread)
{
    Histogram h{};
    for (int v = 0; v < 256; v += 2) {
        const double a = (v - low) / spread, b = (v - high) / spread;
        h[static_cast<std::size_t>(v)] = std::exp(-0.5 * a * a) + std::exp(-0.5 * b * b);
    }
    return h;
}

Histogram oneHump()
{
    Histogram h{};
    for (int v = 0; v < 256; ++v)
        h[static_cast<std::size_t>(v)] = std::exp(-0.5 * std::pow((v - 140) / 30.0, 2.0));
    return h;
}

TEST(MinimumThreshold, KnownValleysAndNone)
{
    const struct {
        const char* name;
        Histogram h;
        std::optional<int> valley;
    } cases[] = {
        {"already two peaks: the middle of the empty run 51..199", spikes({{50, 1.0}, {200, 1.0}}), 125},
        {"weights do not move a flat valley: the run 41..200", spikes({{40, 3.0}, {201, 0.5}}), 120},
        {"a one-value dip: 100 and 101 one peak, 103 and 104 the other",
            spikes({{100, 2.0}, {101, 2.0}, {102, 1.0}, {103, 2.0}, {104, 2.0}}), 102},
        {"comb-like humps at 60 and 180: 64 peaks until smoothed", combOfTwoHumps(60, 180, 20.0), 120},
        {"comb-like humps at 30 and 230", combOfTwoHumps(30, 230, 12.0), 130},
        {"nothing", {}, std::nullopt},
        {"one value", spikes({{90, 5.0}}), std::nullopt},
        {"one hump", oneHump(), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(minimumThreshold(c.h), c.valley) << c.name;
    EXPECT_EQ(chooseThreshold(oneHump(), {}, {.method = ThresholdMethod::Minimum}), std::nullopt);
}

// Pairs of neighbouring values with weights, either order.
EdgeSums pairsOf(std::initializer_list<std::tuple<int, int, int64_t>> pairs)
{
    EdgeSums sums;
    for (const auto& [a, b, w] : pairs)
        sums.addPair(a, b, w);
    return sums;
}

// A histogram of large regions at both ends of the scale, so that every T
// splits the photo into regions.
Histogram regionsAtBothEnds()
{
    Histogram h{};
    h[0] = h[255] = 1000.0;
    return h;
}

// Worked by hand: the mean contrast of the pairs that straddle T; without
// any pair of different values, the middle of the scale.
TEST(EdgeThreshold, LargestMeanContrast)
{
    const struct {
        const char* name;
        EdgeSums pairs;
        int threshold;
    } cases[] = {
        {"one kind of edge: every T from 40 to 199 sees 160, the lowest wins; equal pairs straddle nothing",
            pairsOf({{40, 200, 1}, {90, 90, 50}}), 40},
        {"a blurred edge 40 -> 60 -> 120 -> 180 -> 200: 20 below 60 and from 180, 60 between",
            pairsOf({{40, 60, 1}, {120, 60, 1}, {120, 180, 1}, {200, 180, 1}}), 60},
        {"weights count: T in 50..59 sees (3 * 10 + 200) / 4 = 57.5, T in 60..249 sees 200",
            pairsOf({{50, 60, 3}, {250, 50, 1}}), 60},
        {"noise (100, 110) beside an edge (10, 200): T in 10..99 sees 190, T in 100..109 (190 + 2 * 10) / 3",
            pairsOf({{10, 200, 1}, {110, 100, 2}}), 10},
        {"no pairs", pairsOf({}), kMidScale},
        {"equal values only", pairsOf({{70, 70, 4}, {200, 200, 1}}), kMidScale},
    };
    for (const auto& c : cases)
        EXPECT_EQ(edgeThreshold(c.pairs, regionsAtBothEnds()), c.threshold) << c.name;
    EXPECT_EQ(chooseThreshold(regionsAtBothEnds(), cases[2].pairs, {.method = ThresholdMethod::Edge}), 60);
}

// A class of specks holds no edges: a bright pixel amid a region of 100
// borders it with all four pairs, and its contrast beats the true edge's.
TEST(EdgeThreshold, SpecksAreNoRegion)
{
    Histogram h{};
    h[20] = 500.0;
    h[100] = 500.0;
    h[250] = 1.0;
    const EdgeSums edgeAndSpeck = pairsOf({{20, 100, 50}, {100, 250, 4}});
    // T in 20..99 sees 80 with 50 pairs for 500 pixels; T in 100..249 sees
    // 150, but from 4 pairs for the one pixel above it.
    EXPECT_EQ(edgeThreshold(edgeAndSpeck, h), 20);
    // A class that borders the other with one pair a pixel is a region.
    EXPECT_EQ(edgeThreshold(pairsOf({{20, 100, 50}, {100, 250, 1}}), h), 100);
    // The weights of the pairs in the histogram's measure.
    EdgeSums fine = edgeAndSpeck;
    fine.unit = 0.25;
    EXPECT_EQ(edgeThreshold(fine, h), 100);
    // Specks only: no threshold, which the figures report.
    h[20] = 0.0;
    EXPECT_EQ(edgeThreshold(pairsOf({{100, 250, 4}}), h), std::nullopt);
    EXPECT_EQ(chooseThreshold(h, pairsOf({{100, 250, 4}}), {.method = ThresholdMethod::Edge}), std::nullopt);
}

TEST(PixelValues, LinearisedChannels)
{
    const ValueTable blue(Channel::Blue, 2.2), plain(Channel::Blue, 1.0), luma(Channel::Luma, 1.0);
    // 255 (128 / 255)^2.2 = 55.98; the ends stay where they are.
    EXPECT_EQ(blue(0xff000080u), 56);
    EXPECT_EQ(blue(0xffffff00u), 0);
    EXPECT_EQ(blue(0x000000ffu), 255);
    for (unsigned v = 0; v < 256; ++v)
        EXPECT_EQ(plain(0xff000000u | v), v);
    // 0.3 * 100 + 0.59 * 200 + 0.11 * 50 = 153.5, rounded up; pure red 76.5 -> 77.
    EXPECT_EQ(luma(0xff64c832u), 154);
    EXPECT_EQ(luma(0xffff0000u), 77);
    EXPECT_EQ(luma(0x00ffffffu), 255);
}

TEST(CanopySettingsCheck, RejectsOutOfRange)
{
    EXPECT_TRUE(isValid(CanopySettings{}));
    for (const CanopySettings& bad : {CanopySettings{.gamma = NAN}, CanopySettings{.maxZenithDeg = 90.5},
             CanopySettings{.sectors = kMaxSectors + 1}})
        EXPECT_FALSE(isValid(bad));
}

} // namespace
} // namespace karwen::canopy
