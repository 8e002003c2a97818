#include "projection_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>

using namespace karwen;

// The fitted rows pinned to double precision at two points each: a
// coefficient off by one bit of its single-precision pattern shows here,
// far below the tolerance of the closed-form comparison further down.
TEST(ProjectionModel, FittedRowsToDoublePrecision)
{
    struct Case {
        int32_t p;
        double x, sinOverR, rOverSin;
    };
    const Case cases[] = {
        {kEquisolidangle, 0.3, 1.044090835282881, 0.8770575742712836},
        {kEquisolidangle, 0.8, 1.2806498946719849, 0.745355557125772},
        {kEquidistant, 0.3, 1.0455161253714103, 0.844945117642252},
        {kEquidistant, 0.8, 1.3483643996312686, 0.6827754790908679},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(sin_over_r(c.x, c.p), c.sinOverR) << "p=" << c.p << " x=" << c.x;
        EXPECT_DOUBLE_EQ(r_over_sin(c.x, c.p), c.rOverSin) << "p=" << c.p << " x=" << c.x;
    }
}

TEST(ProjectionModel, GridRadiusTellingRows)
{
    struct Row {
        int i;
        float radius[kProjectionCount];
    };
    const Row rows[] = {
        {1, {0.9961947f, 0.9554293f, 0.9444448f, 0.9163312f, 11.43005f}},
        {9, {0.7071068f, 0.5411961f, 0.5f, 0.4142136f, 1}},
        {12, {0.5f, 0.3660251f, 0.333333f, 0.2679492f, 0.5773502f}},
    };
    EXPECT_NEAR(GridCos[9], 0.70710677f, 1e-7);
    EXPECT_NEAR(GridSin[6], 0.5f, 1e-7);
    for (const Row& row : rows)
        for (int p = 0; p < kProjectionCount; ++p)
            EXPECT_NEAR(GridRadius[row.i][p], row.radius[p], 1.5e-6 * std::max(1.0f, row.radius[p]))
                << "i=" << row.i << " p=" << p;
    for (int p = 0; p < 4; ++p)
        EXPECT_EQ(GridRadius[0][p], 1.0f) << "p=" << p;
    EXPECT_EQ(GridRadius[0][kPerspective], 0.0f);

    // Row 18 (the zenith) lies a hair past the centre, not on it.
    const double row18[kProjectionCount] = {-4.4e-8, -3.1e-8, -2.8e-8, -2.2e-8, -4.4e-8};
    for (int p = 0; p < kProjectionCount; ++p) {
        EXPECT_LT(GridRadius[18][p], 0.0f) << "p=" << p;
        EXPECT_NEAR(GridRadius[18][p], row18[p], 0.1e-8) << "p=" << p;
    }
}

TEST(ProjectionModel, RadialFunctionsMatchClosedForms)
{
    constexpr double pi = std::numbers::pi;
    for (int n = 0; n <= 1000; ++n) {
        const double t = n / 1000.0; // z for r_over_sin, w for sin_over_r
        const double theta = std::acos(t);
        const double eqdRos = t == 1.0 ? 2.0 / pi : (2.0 * theta / pi) / std::sin(theta);
        EXPECT_EQ(r_over_sin(t, kOrthographic), 1.0);
        EXPECT_NEAR(r_over_sin(t, kEquisolidangle), 1.0 / std::sqrt(1.0 + t), 6e-7) << t;
        EXPECT_NEAR(r_over_sin(t, kEquidistant), eqdRos, 6e-7) << t;
        EXPECT_DOUBLE_EQ(r_over_sin(t, kStereographic), 1.0 / (1.0 + t));
        if (t > 0.0) {
            EXPECT_EQ(r_over_sin(t, kPerspective), 1.0 / t);
        }

        const double rho = std::sqrt(1.0 - t * t);
        const double eqdSor = rho == 0.0 ? pi / 2.0 : std::sin(rho * pi / 2.0) / rho;
        EXPECT_EQ(sin_over_r(t, kOrthographic), 1.0);
        // The fit's worst deviation is 6.05e-5 (near w = 0.068).
        EXPECT_NEAR(sin_over_r(t, kEquisolidangle), std::sqrt(1.0 + t * t), 6.1e-5) << t;
        EXPECT_NEAR(sin_over_r(t, kEquidistant), eqdSor, 6e-5) << t;
        EXPECT_DOUBLE_EQ(sin_over_r(t, kStereographic), 1.0 / (1.0 - t * t / 2.0));
    }
}

TEST(ProjectionModel, RadialFunctionEdges)
{
    // Perspective at the horizon: the plain IEEE quotient 1/0.
    EXPECT_EQ(r_over_sin(0.0, kPerspective), std::numeric_limits<double>::infinity());
    // A code outside the tables is refused, never read.
    for (int32_t p : {-1, 5, 1000, INT32_MIN}) {
        EXPECT_THROW((void)r_over_sin(0.5, p), std::out_of_range) << p;
        EXPECT_THROW((void)sin_over_r(0.5, p), std::out_of_range) << p;
        EXPECT_STREQ(projectionName(p), "") << p;
        EXPECT_FALSE(rationalIsExact(p)) << p;
    }
}

TEST(ProjectionModel, Atn2Cases)
{
    struct Case {
        double y, x, expected;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {0, -1, -3.1415927410125732}, // x < 0, y = 0: minus pi
        {1, 0, 1.5707963705062866},   // vertical: single-precision pi/2
        {0, 0, 0},
        {-2, 5e-11, -1.5707963705062866}, // the threshold decides, not the sign of x
        {-2, -5e-11, -1.5707963705062866},
        {1, 1, std::atan(1.0)},
        {1, -1, std::atan(-1.0) + 3.1415927410125732},
        {-1, -1, std::atan(1.0) - 3.1415927410125732},
        {1e300, 1e-9, 0}, // overflowing quotient
        {inf, 1, 0},
        {nan, 1, 0},
        {1, nan, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(atn2(c.y, c.x), c.expected) << "atn2(" << c.y << ", " << c.x << ")";
}
