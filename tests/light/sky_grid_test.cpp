#include "sky_grid.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace karwen::light;

TEST(SkyGrid, BinsAreHalfOpen)
{
    const SkyGrid grid(9, 36);
    for (const auto& [zenith, ring] : {std::pair{0.0, 0}, {9.999, 0}, {10.0, 1}, {90.0, 8}, {97.0, 8}, {-1.0, 0}})
        EXPECT_EQ(grid.ringOf(zenith), ring) << zenith;
    for (const auto& [azimuth, sector] :
        {std::pair{0.0, 0}, {9.999, 0}, {10.0, 1}, {359.999, 35}, {360.0, 0}, {-5.0, 35}, {-1e-15, 0}, {725.0, 0}})
        EXPECT_EQ(grid.sectorOf(azimuth), sector) << azimuth;
    EXPECT_EQ(grid.regionOf(45.0, 185.0), 4 * 36 + 18);
    double hemisphere = 0.0;
    for (int k = 0; k < grid.regions(); ++k)
        hemisphere += grid.solidAngle(k);
    EXPECT_NEAR(hemisphere, 2.0 * 3.14159265358979323846, 1e-12);
}

// The ring shares of the 9-ring grid, to six decimals.
TEST(SkyGrid, DiffuseSharesOfBothSkies)
{
    const SkyGrid grid(9, 36);
    const std::vector<double> uoc
        = {0.030154, 0.086824, 0.133022, 0.163176, 0.173648, 0.163176, 0.133022, 0.086824, 0.030154};
    const std::vector<double> soc
        = {0.038573, 0.108835, 0.160010, 0.184210, 0.179534, 0.150266, 0.105576, 0.057080, 0.015915};
    for (const auto& [model, expected] : {std::pair{SkyModel::Uoc, uoc}, std::pair{SkyModel::Soc, soc}}) {
        const auto shares = grid.diffuseShares(model);
        ASSERT_EQ(shares.size(), 324u);
        for (std::size_t ring = 0; ring < 9; ++ring) {
            const auto first = shares.begin() + std::ptrdiff_t(ring * 36);
            EXPECT_NEAR(std::accumulate(first, first + 36, 0.0), expected[ring], 6e-7) << ring;
            EXPECT_EQ(first[0], first[35]); // no sector favoured
        }
    }
}
