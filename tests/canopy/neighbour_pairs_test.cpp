// The edge method's pairs as gathered row by row against every pair of
// neighbours counted one by one: exactly the same sums, for circles inside
// the image and cut by its edges, views off the camera axis (pixels behind
// the view weigh 0) and values with long runs of equals.
#include "edge_rows.h"
#include "photo_threshold.h"
#include "sky_map.h"
#include "synthetic_sky.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace karwen::canopy {
namespace {

using test::fisheye;

TEST(NeighbourPairs, SumsEqualEveryPairCountedOnItsOwn)
{
    struct Case {
        ProjectionRecord record;
        int width, height;
        unsigned run; // values are equal over squares of this side
    };
    const Case cases[] = {
        {fisheye(kEquidistant, 300.5, 300.5, 280), 601, 601, 1},
        {fisheye(kEquisolidangle, 100.5, 60.5, 130, 0, 0, 22.5), 180, 160, 7},
        {fisheye(kOrthographic, 250.3, 249.1, 245, -35, 20, 0), 500, 500, 1},
        {fisheye(kStereographic, 200.25, 180.5, 220, 0, 60, -90), 420, 300, 40},
        {fisheye(kEquidistant, 300.5, 300.5, 280), 601, 601, 100},
        {fisheye(kEquidistant, 3.5, 2.5, 3), 7, 5, 1},
    };
    const RingLayout layout{5, 8, 75.0 * kDegToRad};
    for (const Case& c : cases) {
        const SkyMap map(c.record, test::idealModel(c.record), c.width, c.height, layout);
        // Values by pixel from a hash of the square of side run it lies in,
        // so that larger runs give wide patches whose pixels equal all their
        // neighbours.
        std::vector<uint8_t> image(std::size_t(c.width) * std::size_t(c.height));
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const uint32_t square = uint32_t(x) / c.run * 7919u + uint32_t(y) / c.run * 104729u;
                image[std::size_t(y) * std::size_t(c.width) + std::size_t(x)] = uint8_t((square * 2654435761u) >> 24);
            }
        const auto value = [&](int x, int y) { return image[std::size_t(y) * std::size_t(c.width) + std::size_t(x)]; };

        NeighbourPairs pairs(c.width, map.maxWeight());
        const float* weights = map.weights().data();
        for (const SkyMap::Row& row : map.rows()) {
            std::copy_n(&image[std::size_t(row.y) * std::size_t(c.width) + std::size_t(row.x0)], row.x1 - row.x0,
                pairs.nextRow() + row.x0);
            pairs.addRow(row, weights);
        }

        const auto units = [&](const SkyMap::Row& row, int x) {
            int32_t u = 0;
            weightUnits(weights + row.firstWeight + (x - row.x0), 1, pairs.scale(), &u);
            return u;
        };
        EdgeSums expected;
        const auto rows = map.rows();
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const SkyMap::Row& row = rows[r];
            for (int x = row.x0; x + 1 < row.x1; ++x)
                expected.addPair(value(x, row.y), value(x + 1, row.y), std::min(units(row, x), units(row, x + 1)));
            if (r + 1 == rows.size() || rows[r + 1].y != row.y + 1)
                continue;
            const SkyMap::Row& below = rows[r + 1];
            for (int x = std::max(row.x0, below.x0); x < std::min(row.x1, below.x1); ++x)
                expected.addPair(value(x, row.y), value(x, below.y), std::min(units(row, x), units(below, x)));
        }
        const EdgeSums got = pairs.sums();
        EXPECT_EQ(got.weight, expected.weight) << c.width << " x " << c.height;
        EXPECT_EQ(got.contrast, expected.contrast) << c.width << " x " << c.height;
        // Something was counted: the comparison is not of two empty tables.
        EXPECT_TRUE(std::ranges::any_of(expected.contrast, [](int64_t s) { return s != 0; }));

        // Without the pixels across the rim, which are then added on their own.
        std::vector<uint32_t> pixels(image.size());
        std::ranges::transform(image, pixels.begin(), [](uint8_t v) { return 0xff000000u | v; });
        const PixelView view{pixels.data(), c.width, c.height, c.width};
        NeighbourPairs apart(c.width, map.maxWeight());
        for (const SkyMap::Row& row : map.rows()) {
            std::copy_n(&image[std::size_t(row.y) * std::size_t(c.width) + std::size_t(row.x0)], row.x1 - row.x0,
                apart.nextRow() + row.x0);
            apart.addRow(row, weights, false);
        }
        EdgeSums rejoined = apart.sums();
        ASSERT_FALSE(map.rimPixels().empty());
        EXPECT_NE(rejoined.weight, expected.weight) << "the rim weighs something";
        addRimPairs(rejoined, view, map, ValueTable(Channel::Blue, 1.0), apart.scale());
        EXPECT_EQ(rejoined.weight, expected.weight) << c.width << " x " << c.height;
        EXPECT_EQ(rejoined.contrast, expected.contrast) << c.width << " x " << c.height;
    }
}

// A circle far larger than its photo gives pixel weights too small for a
// float to scale to whole units: the pairs then weigh nothing rather than
// overflowing.
TEST(NeighbourPairs, VanishingWeightsWeighNothing)
{
    NeighbourPairs pairs(4, 1e-40f);
    EXPECT_TRUE(std::isfinite(pairs.scale()));
    const float weights[4] = {1e-40f, 1e-40f, 1e-40f, 1e-40f};
    const uint8_t values[4] = {10, 200, 10, 200};
    std::copy_n(values, 4, pairs.nextRow());
    pairs.addRow(SkyMap::Row{0, 0, 4, 0, 0}, weights);
    const EdgeSums sums = pairs.sums();
    EXPECT_TRUE(std::ranges::all_of(sums.weight, [](int64_t s) { return s == 0; }));
    EXPECT_EQ(edgeThreshold(sums, Histogram{}), kMidScale);
}

} // namespace
} // namespace karwen::canopy
